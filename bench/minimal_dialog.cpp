// The yardstick of the start-up benchmark: the least a Qt Widgets dialog can be - a label and a
// button - ending at its first paint like the tool does under the benchmark.
#include "app/first_paint_probe.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QDialog dialog;
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("KTR-4410-HT-LAN 参数配置"), &dialog));
    layout->addWidget(new QPushButton(QStringLiteral("搜索"), &dialog));
    ktr::ExitAfterFirstPaintIfAsked(dialog);
    dialog.exec();
    return 0;
}
