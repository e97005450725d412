#pragma once

#include <QObject>
#include <memory>
#include <typeindex>
#include <unordered_map>

class AppContext;

// One instance per window class for the whole program, created on first use and
// reused afterwards, so a window's public fields survive while it is closed.
// Window classes are QObjects constructible from (AppContext&).
class WindowRegistry
{
public:
    explicit WindowRegistry(AppContext& context) : m_context(context) {}

    template <class Window> Window& get()
    {
        auto& slot = m_windows[std::type_index(typeid(Window))];
        if (!slot)
            slot = std::make_unique<Window>(m_context);
        return static_cast<Window&>(*slot);
    }

    template <class Window> bool exists() const
    {
        return m_windows.count(std::type_index(typeid(Window))) > 0;
    }

private:
    AppContext& m_context;
    std::unordered_map<std::type_index, std::unique_ptr<QObject>> m_windows;
};
