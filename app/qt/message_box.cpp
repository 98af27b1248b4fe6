#include "app/qt/message_box.h"

#include <QApplication>
#include <QGridLayout>
#include <QIcon>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>

#include "app/qt/dialog_units.h"

#include "app/qt/qt_text.h"
#include "app/qt/title_claims.h"
#include "common/texts.h"

namespace k4app {

void ShowOkMessage(QWidget* parent, std::string_view text)
{
    QMessageBox box(QMessageBox::NoIcon, Q(k4::text::kApplicationName), Q(text), QMessageBox::Ok, parent);
    box.setWindowRole(QStringLiteral("k4-message"));
    // A box without a parent would otherwise take no window icon.
    box.setWindowIcon(QApplication::windowIcon());
    // A plain OK button, like the message boxes the users know.
    if (QAbstractButton* ok = box.button(QMessageBox::Ok))
        ok->setIcon(QIcon());
    // A message box sizes itself to its text; keep the caption whole too.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(CaptionFittingWidth(box), 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
    ClaimTitleWhileShown(box);
    box.exec();
}

} // namespace k4app
