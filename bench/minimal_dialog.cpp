// The yardstick of the start-up benchmark: the least a Qt Widgets dialog can be - a label and a
// button - ending at its first paint like the tool does under the benchmark. It shows its Chinese
// texts in the tool's dialog font, as the tool's first paint does: a yardstick drawn with
// another font would time another font's loading.
#include "app/dialog_units.h"
#include "bench/first_paint_probe.h"
#include "res/dialog_templates.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    ktr::ExitAfterFirstPaintIfAsked(application);
    QDialog dialog;
    const ktr::DialogTemplate &tool = *ktr::FindDialogTemplate(ktr::kMainTemplate);
    dialog.setFont(ktr::DialogFont(
        QString::fromUtf8(tool.fontFace.data(), static_cast<qsizetype>(tool.fontFace.size())),
        tool.pointSize));
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("KTR-4410-HT-LAN 参数配置"), &dialog));
    layout->addWidget(new QPushButton(QStringLiteral("搜索"), &dialog));
    dialog.exec();
    return 0;
}
