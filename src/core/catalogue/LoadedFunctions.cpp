#include "core/catalogue/LoadedFunctions.h"

#include <dlfcn.h>

Result<void*> OpenSharedLibrary(const char* file) {
    void* library = ::dlopen(file, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* why = ::dlerror();
        return Failure{why != nullptr ? why : file};
    }
    return library;
}

void* FindInSharedLibrary(void* library, const char* name) {
    return ::dlsym(library, name);
}

void CloseSharedLibrary(void* library) {
    ::dlclose(library);
}
