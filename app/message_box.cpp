#include "app/message_box.h"

#include <QApplication>
#include <QMessageBox>

#include "app/qt_text.h"
#include "app/title_claims.h"
#include "common/texts.h"

namespace k4app {

void ShowOkMessage(QWidget* parent, std::string_view text)
{
    QMessageBox box(QMessageBox::NoIcon, Q(k4::text::kApplicationName), Q(text), QMessageBox::Ok, parent);
    box.setWindowRole(QStringLiteral("k4-message"));
    // A box without a parent would otherwise take no window icon.
    box.setWindowIcon(QApplication::windowIcon());
    ClaimTitleWhileShown(box);
    box.exec();
}

} // namespace k4app
