#include "app/about_dialog.h"

#include "app/template_builder.h"
#include "res/dialog_templates.h"

#include <QPushButton>

namespace ktr {
namespace {

constexpr int kOkButton = 1;

} // namespace

AboutDialog::AboutDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint)
{
    BuildFromTemplate(*FindDialogTemplate(kAboutTemplate), *this);
    if (auto *ok = qobject_cast<QPushButton *>(FindControl(*this, kOkButton))) {
        connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    }
}

} // namespace ktr
