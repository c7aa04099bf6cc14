// Qt's own texts in the tool's language: the message boxes' button and the edit context menus.
#include "gui_support.h"

#include "app/control_ids.h"
#include "app/multi_line_edit.h"
#include "app/qt_translations.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTranslator>

#include <memory>

namespace ktr::test {
namespace {

QStringList ActionTexts(QMenu &menu)
{
    QStringList texts;
    for (QAction *action : menu.actions()) {
        if (!action->isSeparator()) {
            texts << action->text();
        }
    }
    return texts;
}

class TranslationTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        translator = InstallQtTranslations(*QCoreApplication::instance());
        ASSERT_NE(translator, nullptr) << "Qt's zh_CN translations are not installed";
        MainWindowTest::SetUp();
    }
    void TearDown() override
    {
        MainWindowTest::TearDown();
        if (translator != nullptr) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
    }
    QTranslator *translator = nullptr;
};

TEST_F(TranslationTest, MessageBoxButtonReadsQueDing)
{
    QString buttonText;
    QTimer::singleShot(0, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            QAbstractButton *ok = box->button(QMessageBox::Ok);
            buttonText = ok != nullptr ? ok->text() : QString();
            box->accept();
        }
    });
    ModalMessageBoxes boxes;
    boxes.show(dialog.get(), QStringLiteral("端口被占用"), QStringLiteral("ktr-setup"),
               BoxIcon::None);
    EXPECT_EQ(buttonText, QStringLiteral("确定"));
}

TEST_F(TranslationTest, EditAndMessageAreaContextMenusAreChinese)
{
    auto *edit = qobject_cast<QLineEdit *>(networkControl(ids::kStaticIp));
    ASSERT_NE(edit, nullptr);
    std::unique_ptr<QMenu> editMenu(edit->createStandardContextMenu());
    std::unique_ptr<QMenu> areaMenu(dialog->messageArea()->createStandardContextMenu());
    for (QMenu *menu : {editMenu.get(), areaMenu.get()}) {
        const QStringList texts = ActionTexts(*menu);
        ASSERT_FALSE(texts.isEmpty());
        for (const char *english : {"Undo", "Redo", "Cut", "Copy", "Paste", "Delete", "Select"}) {
            EXPECT_FALSE(texts.join('|').contains(english)) << texts.join('|').toStdString();
        }
        EXPECT_TRUE(texts.join('|').contains(QStringLiteral("复制")))
            << texts.join('|').toStdString();
        EXPECT_TRUE(texts.join('|').contains(QStringLiteral("粘贴")))
            << texts.join('|').toStdString();
    }
}

} // namespace
} // namespace ktr::test
