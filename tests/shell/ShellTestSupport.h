#pragma once

// Fixtures of the shell tests: a driver for modal windows, books written to
// the temporary folder, and small data windows that the openers can make.

#include <functional>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QQueue>
#include <QTimer>
#include <QWidget>

#include "TestBook.h"
#include "TestSupport.h"
#include "store/ClsAX.h"
#include "windows/DataWindow.h"
#include "windows/Openers.h"

namespace qb::test {

// Acts on modal windows as they come up: each step runs once, on the next
// modal window that no step has acted on yet.
class ModalDriver final : public QObject
{
public:
    using Step = std::function<void(QWidget*)>;
    ModalDriver()
    {
        m_timer.setInterval(5);
        connect(&m_timer, &QTimer::timeout, this, &ModalDriver::poll);
        m_timer.start();
    }
    void then(Step step) { m_steps.enqueue(std::move(step)); }
    bool done() const { return m_steps.isEmpty(); }
    QStringList titles; // captions of the windows acted on, in order

private:
    void poll()
    {
        QWidget* w = QApplication::activeModalWidget();
        if (!w)
            return;
        if (w->property("qbDriven").toBool()) {
            // A step that failed half-way leaves its dialog up: close it after
            // a while so that the test fails instead of waiting for ever.
            if (w == m_lastDriven && m_sinceDriven.elapsed() > 10000) {
                qWarning("ModalDriver: closing a dialog its step left open: %s",
                    qPrintable(w->windowTitle()));
                w->close();
            }
            return;
        }
        if (m_steps.isEmpty())
            return;
        // Dialogs are driven once they are active, as a user meets them.
        if (!w->isActiveWindow()) {
            w->activateWindow();
            QApplication::setActiveWindow(w);
            return;
        }
        w->setProperty("qbDriven", true);
        m_lastDriven = w;
        m_sinceDriven.start();
        titles.append(w->windowTitle());
        m_steps.dequeue()(w);
    }
    QPointer<QWidget> m_lastDriven;
    QElapsedTimer m_sinceDriven;
    QTimer m_timer;
    QQueue<Step> m_steps;
};

// The program's store with the tests' fixed "today", as main hands it to
// the main window.
inline BookContext programBook()
{
    static const FixedClock clock(kTestToday);
    return {test::sharedStore(), clock};
}

inline const QString kSampleI = QStringLiteral("ABCDEFGHIJKLMNOPQRST");

// The sample book protected by a password.
inline QByteArray protectedBookXml(const QString& password)
{
    QByteArray xml = sampleBookXml();
    xml.replace(
        PasswordDigest(kSampleI).toLatin1(), PasswordDigest(password + kSampleI).toLatin1());
    return xml;
}

inline QString writeBook(
    const TempEnv& env, const QString& name, const QByteArray& xml = sampleBookXml())
{
    const QString path = env.path(name);
    return writeDataFile(path, xml) ? path : QString();
}

inline QAction* actionOf(QWidget* window, const char* name)
{
    return window->findChild<QAction*>(QLatin1String(name));
}

// A search window as the openers see it: it joins the Window menu when made.
class SearchProbe final : public DataWindow, public SearchForm
{
public:
    explicit SearchProbe(const QString& caption)
    {
        setWindowTitle(caption);
        joinWindowList();
    }
    int mlngSearchResultCount() const override { return found; }
    int found = 0;
};

} // namespace qb::test
