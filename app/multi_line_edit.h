// The multi-line edit of the dialog templates: like a Windows edit without "want return", Enter
// belongs to the dialog (Ctrl+Enter starts a new line), and it can turn typed letters upper case.
#pragma once

#include <QPlainTextEdit>

namespace ktr {

class MultiLineEdit : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit MultiLineEdit(QWidget *parent = nullptr);

    void setUpperCase(bool on) { upperCase_ = on; }
    bool upperCase() const { return upperCase_; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    bool upperCase_ = false;
};

} // namespace ktr
