// Qt's own texts - standard buttons, the edit context menus - in Simplified Chinese, like the
// rest of the tool.
#pragma once

class QCoreApplication;
class QTranslator;

namespace ktr {

// Loads Qt's zh_CN translations, from the Qt installation or from a "translations" folder
// beside the executable (where a Windows build ships them), and installs them in the
// application, which owns the translator. Returns nullptr when none is found; the tool then
// shows Qt's English texts.
QTranslator *InstallQtTranslations(QCoreApplication &application);

} // namespace ktr
