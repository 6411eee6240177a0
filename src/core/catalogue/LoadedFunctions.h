#pragma once

#include "core/runtime/Result.h"

#include <string>
#include <type_traits>

// A shared library opened, or the reason it could not be (the loader's words).
Result<void*> OpenSharedLibrary(const char* file);
void* FindInSharedLibrary(void* library, const char* name);
void CloseSharedLibrary(void* library);

// Opens the shared library `file` and lets `findAll` fill a Functions through the finder it is given,
// `find(member, "name")`. A failure names the library as `what` and says why it could not be loaded, or
// which function it lacks first. The library stays loaded: its functions serve as long as the program runs.
template <typename Functions, typename FindAll>
Result<Functions> LoadFunctions(const char* file, const std::string& what, FindAll findAll) {
    Result<void*> library = OpenSharedLibrary(file);
    if (!library) {
        return Failure{what + " could not be loaded (" + library.reason() + ")"};
    }
    Functions functions{};
    std::string missing;
    findAll(functions, [&](auto& function, const char* name) {
        function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(
            FindInSharedLibrary(*library, name));
        if (function == nullptr && missing.empty()) {
            missing = name;
        }
    });
    if (!missing.empty()) {
        CloseSharedLibrary(*library);
        return Failure{what + " " + file + " lacks " + missing + " (too old?)"};
    }
    return functions;
}

// The program's one copy of a library's functions, loaded by `load` on the first call (by any thread) and
// kept; a library that could not be loaded gives the same failure at every call.
template <typename Functions>
const Result<const Functions*>& KeepLoaded(Result<Functions> (*load)(const char*), const char* file) {
    static const Result<const Functions*> loaded = [&]() -> Result<const Functions*> {
        static Result<Functions> functions = load(file);
        if (!functions) {
            return Failure{functions.reason()};
        }
        return &functions.value();
    }();
    return loaded;
}
