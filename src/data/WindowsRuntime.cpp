// What every Talodesk program on Windows does about the MinGW runtime it is built with.
//
// A thread_local object with a destructor is destroyed there after its storage is freed,
// so a thread that made one crashes as it ends, or leaves winpthreads' key lock taken and
// the process then hangs as it exits. Qt makes one such object: the stack for patterns
// compiled to machine code, on each thread that matches a QRegularExpression (the store's
// statement rewriter does, on every writer and report thread). Matching without that code
// never makes it; it is slower, and the store caches what it rewrites.
#ifdef _WIN32

#include <QByteArray>
#include <QtGlobal>

namespace {

// Before main(), before any pattern is compiled: Qt reads the variable once. A site that
// sets it itself keeps its choice.
const bool regexJitOff = [] {
    if (!qEnvironmentVariableIsSet("QT_ENABLE_REGEXP_JIT"))
        qputenv("QT_ENABLE_REGEXP_JIT", QByteArrayLiteral("0"));
    return true;
}();

} // namespace

#endif
