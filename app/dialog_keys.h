// The keys a dialog treats as commands: Enter (OK, or the focused button) and Esc (Cancel).
#pragma once

#include <QKeyEvent>
#include <QPushButton>
#include <QWidget>

namespace ktr {

// Return, or the keypad's Enter, without Shift, Ctrl or Alt.
inline bool IsPlainEnter(const QKeyEvent &event)
{
    const bool enter = event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter;
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    return enter && modifiers == Qt::NoModifier;
}

inline bool IsPlainEscape(const QKeyEvent &event)
{
    return event.key() == Qt::Key_Escape && event.modifiers() == Qt::NoModifier;
}

// A focused push button is the default for the moment: Enter runs it. False when the focus is
// on anything else.
inline bool ClickFocusedButton(const QWidget &window)
{
    if (auto *button = qobject_cast<QPushButton *>(window.focusWidget())) {
        button->click();
        return true;
    }
    return false;
}

} // namespace ktr
