// Included before each source: what macOS's own headers define and Linux's do not.
#pragma once
#undef __linux__
#undef linux
#undef __linux
#define __APPLE__ 1
#define F_FULLFSYNC 51
