// vqpack stub: placing the DOS program into a linked Windows image.
#pragma once

// argv[0] is "stub"; returns the process exit code.
int RunStubCommand(int argc, char** argv);
