#include "app/qt/title_claims.h"

#include <QEvent>
#include <QObject>
#include <QWidget>
#include <memory>

#include "platform/window_titles.h"

namespace k4app {

namespace {

// Lives as a child of the window, so the claim cannot outlast it.
class TitleClaimer final : public QObject {
public:
    explicit TitleClaimer(QWidget& window) : QObject(&window), m_window(window) { window.installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &m_window) {
            switch (event->type()) {
            case QEvent::Show: Claim(); break;
            case QEvent::Hide: m_claim.reset(); break;
            case QEvent::WindowTitleChange:
                if (m_claim)
                    Claim();
                break;
            default: break;
            }
        }
        return false;
    }

private:
    void Claim()
    {
        m_claim.reset();
        m_claim = std::make_unique<k4::WindowTitleClaim>(m_window.windowTitle().toStdString());
    }

    QWidget& m_window;
    std::unique_ptr<k4::WindowTitleClaim> m_claim;
};

} // namespace

void ClaimTitleWhileShown(QWidget& window)
{
    new TitleClaimer(window);
}

} // namespace k4app
