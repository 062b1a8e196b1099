/*
 * gate_loader.h - finding, loading and releasing the master libraries.
 *
 * A library is looked up by file name on the dynamic loader's search path
 * (LD_LIBRARY_PATH, the run path, the loader cache and the standard
 * folders) and then in the folder that holds libmastergate.so itself, so
 * that the program finds its libraries in the build tree and when installed.
 *
 * Failures are reported as errno values; the caller turns them into
 * COP_ERR_SYSTEM minus the number.
 */
#ifndef MASTERGATE_GATE_LOADER_H
#define MASTERGATE_GATE_LOADER_H

/* 0 when the file exists in one of the searched folders, else ENOENT.
 * Searched: each folder of LD_LIBRARY_PATH, /lib, /usr/lib,
 * /usr/lib/x86_64-linux-gnu, /usr/local/lib and the folder of this library. */
int gate_find(const char* file);

/* Loads a library; 0 and *handle on success, else an errno value:
 * ENOENT when the file is in none of the searched places, otherwise a number
 * picked from the loader's message (EACCES, ENOEXEC for a file that is no
 * loadable library of this machine, ...). */
int gate_load(const char* file, void** handle);

/* Looks up an entry point; 0 and *entry on success, ENOSYS when missing. */
int gate_bind(void* handle, const char* name, void* entry, unsigned long entrySize);

/* Releases a loaded library; 0 or EINVAL. */
int gate_unload(void* handle);

#endif
