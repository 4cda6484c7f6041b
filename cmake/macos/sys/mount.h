// A stand-in for macOS's <sys/mount.h>: what the program uses of it, as
// macOS declares it, so that the POSIX sources are compiled as macOS sees them.
#pragma once
#include <stdint.h>
#include <sys/types.h>

#define MFSTYPENAMELEN 16
#define MAXPATHLEN 1024
#define MNT_LOCAL 0x00001000
#define MNT_NOWAIT 2

struct statfs {
  uint32_t f_bsize;
  int32_t f_iosize;
  uint64_t f_blocks;
  uint64_t f_bfree;
  uint64_t f_bavail;
  uint64_t f_files;
  uint64_t f_ffree;
  uint32_t f_owner;
  uint32_t f_type;
  uint32_t f_flags;
  uint32_t f_fssubtype;
  char f_fstypename[MFSTYPENAMELEN];
  char f_mntonname[MAXPATHLEN];
  char f_mntfromname[MAXPATHLEN];
};

extern "C" int getmntinfo(struct statfs** list, int flags);
