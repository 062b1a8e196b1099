/*
 * gate_loader.c - finding, loading and releasing the master libraries.
 */
#define _GNU_SOURCE
#include "gate_loader.h"

#include <dlfcn.h>
#include <errno.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static const char* const standardFolders[] = {
    "/lib", "/usr/lib", "/usr/lib/x86_64-linux-gnu", "/usr/local/lib",
};

/* Folder of libmastergate.so (without trailing slash), "" when unknown. */
static const char* own_folder(void)
{
    static char folder[PATH_MAX];
    if (folder[0] == '\0') {
        Dl_info info;
        if (dladdr((const void*)&own_folder, &info) != 0 && info.dli_fname != NULL) {
            const char* slash = strrchr(info.dli_fname, '/');
            size_t n = slash != NULL ? (size_t)(slash - info.dli_fname) : 0;
            if (slash != NULL && n == 0)
                n = 1; /* the root folder */
            if (n > 0 && n < sizeof folder) {
                memcpy(folder, info.dli_fname, n);
                folder[n] = '\0';
            }
        }
    }
    return folder;
}

/* 1 when folder/file can be reached; an empty folder is the current one. */
static int exists_in(const char* folder, size_t folderLength, const char* file)
{
    char path[PATH_MAX];
    if (folderLength == 0) {
        folder = ".";
        folderLength = 1;
    }
    size_t fileLength = strlen(file);
    if (folderLength + 1 + fileLength + 1 > sizeof path)
        return 0;
    memcpy(path, folder, folderLength);
    path[folderLength] = '/';
    memcpy(path + folderLength + 1, file, fileLength + 1);
    return access(path, F_OK) == 0;
}

int gate_find(const char* file)
{
    if (file == NULL || file[0] == '\0')
        return ENOENT;
    const char* list = getenv("LD_LIBRARY_PATH");
    if (list != NULL && list[0] != '\0') {
        for (;;) {
            const char* end = strpbrk(list, ":;");
            size_t n = end != NULL ? (size_t)(end - list) : strlen(list);
            if (exists_in(list, n, file))
                return 0;
            if (end == NULL)
                break;
            list = end + 1;
        }
    }
    for (size_t i = 0; i < sizeof standardFolders / sizeof standardFolders[0]; ++i)
        if (exists_in(standardFolders[i], strlen(standardFolders[i]), file))
            return 0;
    const char* own = own_folder();
    if (own[0] != '\0' && exists_in(own, strlen(own), file))
        return 0;
    return ENOENT;
}

/* dlopen reports no errno: pick the number that matches the loader's text. */
static int errno_of_message(const char* message)
{
    static const struct {
        const char* text;
        int number;
    } known[] = {
        {"No such file or directory", ENOENT},
        {"Permission denied", EACCES},
        {"Is a directory", EISDIR},
        {"Cannot allocate memory", ENOMEM},
        {"Too many open files", EMFILE},
    };
    if (message != NULL)
        for (size_t i = 0; i < sizeof known / sizeof known[0]; ++i)
            if (strstr(message, known[i].text) != NULL)
                return known[i].number;
    /* invalid ELF header, file too short, wrong ELF class, undefined
     * symbol, ...: the file is there but is no library this process can use */
    return ENOEXEC;
}

int gate_load(const char* file, void** handle)
{
    *handle = NULL;
    dlerror();
    void* h = dlopen(file, RTLD_NOW | RTLD_LOCAL);
    char firstMessage[512] = "";
    if (h == NULL) {
        const char* message = dlerror();
        if (message != NULL) {
            strncpy(firstMessage, message, sizeof firstMessage - 1);
            firstMessage[sizeof firstMessage - 1] = '\0';
        }
        const char* own = own_folder();
        char path[PATH_MAX];
        size_t ownLength = strlen(own);
        size_t fileLength = strlen(file);
        if (own[0] != '\0' && ownLength + 1 + fileLength + 1 <= sizeof path &&
            exists_in(own, ownLength, file)) {
            memcpy(path, own, ownLength);
            path[ownLength] = '/';
            memcpy(path + ownLength + 1, file, fileLength + 1);
            h = dlopen(path, RTLD_NOW | RTLD_LOCAL);
            if (h == NULL) {
                /* the own folder's copy exists: its message explains more */
                message = dlerror();
                if (message != NULL) {
                    strncpy(firstMessage, message, sizeof firstMessage - 1);
                    firstMessage[sizeof firstMessage - 1] = '\0';
                }
            }
        }
    }
    if (h == NULL) {
        if (gate_find(file) != 0)
            return ENOENT;
        return errno_of_message(firstMessage);
    }
    *handle = h;
    return 0;
}

int gate_bind(void* handle, const char* name, void* entry, unsigned long entrySize)
{
    dlerror();
    void* symbol = dlsym(handle, name);
    if (symbol == NULL || entrySize != sizeof symbol)
        return ENOSYS;
    memcpy(entry, &symbol, sizeof symbol);
    return 0;
}

int gate_unload(void* handle)
{
    if (handle == NULL)
        return 0;
    return dlclose(handle) == 0 ? 0 : EINVAL;
}
