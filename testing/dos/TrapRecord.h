/* Where VQTRAP.COM (TrapDouble.S) records the INT 23h and 24h handlers it put in DOS's place:
   read by the assembler and by C++ alike. */
#pragma once
#define VQ_TRAP_RECORD "C:\\VQTRAP.BIN"
