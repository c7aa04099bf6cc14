// The seam every message box of the tool goes through, so tests can record them instead of
// blocking on a modal box.
#pragma once

#include "ops/ports.h"

#include <QString>

class QWidget;

namespace ktr {

class MessageBoxes
{
public:
    virtual ~MessageBoxes() = default;
    // Shows the text with the caption and an OK button; returns when the user has closed it.
    virtual void show(QWidget *owner, const QString &text, const QString &caption,
                      BoxIcon icon) = 0;
    // Asks a Yes/No question with No as the default; true for Yes. Without a person to ask,
    // the answer is the default.
    virtual bool ask(QWidget *owner, const QString &text, const QString &caption);
};

// The product's boxes: a modal QMessageBox over the owner.
class ModalMessageBoxes : public MessageBoxes
{
public:
    void show(QWidget *owner, const QString &text, const QString &caption, BoxIcon icon) override;
    bool ask(QWidget *owner, const QString &text, const QString &caption) override;
};

} // namespace ktr
