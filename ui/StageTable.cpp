// The rows of the stage table, one per stage code, in code order.
#include "ui/StageTable.h"

#include "base/Product.h"

namespace vq::ui {

const TStageInfo StageTable[kStageCount] = {
    {"Stopped", 0, "", clHotLight},
    {"Extract files ...", 1, "", clHotLight},
    {"Extract done", 10, "", clHotLight},
    {"Flash BIOS ...", 89, "Do Not Abort the Upgrade or Turn Off the Power", clMaroon},
    {"Flash BIOS complete", 90, "", clHotLight},
    {"Remove temporary files ...", 98, "", clHotLight},
    {"Temporary files removed", 99, "", clHotLight},
    {"Upgrade Complete", 100,
     "System will be shutdown\nPlease remove the ME_UNLOCK jumper and clear the CMOS", clHotLight},
    {"Shuting down ...", 100, "Shutdown the computer after few seconds", clHotLight},
    {"Extract file failed", 0, "Fail to extract upgrade files\nFile may be corrupted", clMaroon},
    {"Upgrade failed", 0, "Fail to upgrade\nPlease check if ME_UNLOCK is shorted", clMaroon},
};

const char* const kWorkDirKeptNote = "Fail to remove temporary folder " VQ_WORK_DIR_NAME;

}  // namespace vq::ui
