#pragma once
// A window's units, found by the object names the forms give them.
#include <QString>
#include <QWidget>
#include <stdexcept>
#include <string>

namespace harness {

// The child of `window` of type T named `name`. A missing one fails the test: it is thrown, so
// the test stops there rather than going on with nothing.
template <class T>
T* unit(const QWidget& window, const char* name) {
    T* found = window.findChild<T*>(QString::fromUtf8(name));
    if (!found) throw std::runtime_error(std::string("no unit ") + name);
    return found;
}

template <class T>
T* unit(const QWidget* window, const char* name) {
    if (!window) throw std::runtime_error(std::string("no window to find unit ") + name + " in");
    return unit<T>(*window, name);
}

}  // namespace harness
