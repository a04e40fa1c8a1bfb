#include "app/frmCVNMain.h"
#include "i18n/unitCVNLanguages.h"

#include <QApplication>

#include <memory>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvanth"));
    // In place before any window translates itself.
    LoadLanguageFile();

    auto mainForm = std::make_unique<TCVNMainForm>();
    mainForm->show();
    const int result = QApplication::exec();

    // The language file goes first, then the window, then the application object.
    ReleaseLanguageFile();
    mainForm.reset();
    return result;
}
