/* Resource identifiers shared by the resource script and the program. */
#ifndef VQ_RES_RESOURCE_IDS_H
#define VQ_RES_RESOURCE_IDS_H

#define VQ_IDI_MAIN 1      /* the application's main icon: the first icon group */
#define VQ_IDB_UPGRADE 100 /* the upgrade button's glyph */

#ifndef RC_INVOKED
namespace vq {
inline constexpr int kIdiMain = VQ_IDI_MAIN;
inline constexpr int kIdbUpgrade = VQ_IDB_UPGRADE;
}  // namespace vq
#endif

#endif
