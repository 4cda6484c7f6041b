// A stand-in for macOS's <sys/ucred.h>: nothing of it is used by name.
#pragma once
