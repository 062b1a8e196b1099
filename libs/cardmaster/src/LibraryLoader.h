// LibraryLoader - loads a library by file name from the search path, else
// from this library's own folder (where the build and the installation put
// the board maker's libraries beside it).
#ifndef CARDMASTER_LIBRARYLOADER_H
#define CARDMASTER_LIBRARYLOADER_H

namespace cardmaster {

void* loadLibrary(const char* file);

}  // namespace cardmaster

#endif
