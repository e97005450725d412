#pragma once

// One object per thread, made on first use and never destroyed: for caches kept between
// calls on one thread. A thread_local of a type with a destructor is not safe with the
// MinGW runtime: its storage is freed before the destructor runs, so every thread that
// used one crashes as it ends. A pointer has no destructor. A thread leaves its few small
// caches behind; the program starts few threads.
//
// `Tag` tells apart caches of a type that is not the cache's own (a std::string, a list):
// each such use names its own.
template <class T, class Tag = T> T& perThread()
{
    thread_local T* object = nullptr;
    if (!object)
        object = new T();
    return *object;
}
