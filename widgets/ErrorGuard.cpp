#include "widgets/ErrorGuard.h"

#include "widgets/MessageBox.h"

#include <exception>

namespace widgets {

bool runGuarded(QWidget* parent, const std::function<void()>& command) {
    QString error;
    try {
        command();
        return true;
    } catch (const std::exception& exception) {
        error = QString::fromUtf8(exception.what());
    } catch (...) {
        error = QStringLiteral("予期しないエラーが発生しました。");
    }
    showMessage(parent, QMessageBox::Critical, ApplicationTitle, error);
    return false;
}

}  // namespace widgets
