// How every Talodesk program ends on Windows: the program's own clean-up (its atexit
// handlers and static objects, the C library's buffers flushed), then the process ends
// without unloading its DLLs.
//
// With MinGW's runtime, libstdc++ deletes its thread-exit key as it is unloaded, under
// winpthreads' key lock, and a worker thread that ended earlier can leave a reader's count
// on that lock behind: the unload then waits for ever, and the process never ends although
// every store and file of the program was closed before main() returned. Every executable
// is linked with --wrap=exit, so the C runtime's exit() after main() comes here.
#ifdef _WIN32

#include <process.h>
#include <windows.h>

extern "C" [[noreturn]] void __real_exit(int code);

extern "C" [[noreturn]] void __wrap_exit(int code)
{
    _cexit();
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(code));
    __real_exit(code); // not reached: TerminateProcess does not return for its own process
}

#endif
