#include "app/qt/dialog_units.h"

#include <QFont>
#include <QFontMetrics>
#include <QLayout>
#include <QWidget>

namespace k4app {

QSize DialogUnitsToPixels(const QWidget& widget, int x, int y)
{
    // The same sample Windows averages over for its dialog base units.
    static const QString kSample = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const QFontMetrics metrics(widget.font());
    const double charWidth = metrics.horizontalAdvance(kSample) / double(kSample.size());
    const int charHeight = metrics.height();
    return QSize(qRound(x * charWidth / 4.0), qRound(y * charHeight / 8.0));
}

int CaptionFittingWidth(const QWidget& window)
{
    QFont titleFont = window.font();
    titleFont.setBold(true);
    const QFontMetrics metrics(titleFont);
    return metrics.horizontalAdvance(window.windowTitle()) + 8 * metrics.height();
}

void SetDialogUnitSize(QWidget& window, int x, int y)
{
    window.ensurePolished();
    QSize size = DialogUnitsToPixels(window, x, y).expandedTo(window.minimumSizeHint());
    // Title bars are wider than on the original's desktop; a cut caption
    // looks broken, a few more pixels do not.
    size.setWidth(qMax(size.width(), CaptionFittingWidth(window)));
    if (QLayout* layout = window.layout(); layout && layout->hasHeightForWidth())
        size.setHeight(qMax(size.height(), layout->totalHeightForWidth(size.width())));
    // Fixed, like the dialogs these windows stand for: nothing in them
    // gains from more room.
    window.setFixedSize(size);
}

} // namespace k4app
