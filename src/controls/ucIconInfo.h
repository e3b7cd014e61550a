#pragma once

// The main window's status strip: 18 pixels high, a wide sunken panel with
// the open file's path (shortened with "..." to fit), a second sunken panel
// for a short text, and a size grip that resizes the window. Texts set on it
// show after Refresh().

#include <QFontMetrics>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

namespace qb {

// Shortens a path to at most width pixels in the given font: the root and the
// file name stay, the middle gives way to "...". A path that fits is returned whole.
QString CompactPath(const QString& path, const QFontMetrics& fm, int width);

class ucIconInfo final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kHeight = 18;
    static constexpr int kGripSize = 18;

    explicit ucIconInfo(QWidget* parent = nullptr);
    ~ucIconInfo() override;
    Q_DISABLE_COPY_MOVE(ucIconInfo)

    // Setting a text only stores it; Refresh() shows it.
    QString TextFile() const { return m_textFile; }
    void setTextFile(const QString& text) { m_textFile = text; }
    QString TextInfo1() const { return m_textInfo[0]; }
    void setTextInfo1(const QString& text) { m_textInfo[0] = text; }
    QString TextInfo2() const { return m_textInfo[1]; }
    void setTextInfo2(const QString& text) { m_textInfo[1] = text; }
    QString TextInfo3() const { return m_textInfo[2]; }
    void setTextInfo3(const QString& text) { m_textInfo[2] = text; }

    void Refresh();
    // The room for the path in pixels (0 when there is none).
    int pvTextFileWidth() const;

    // Layout, for hosts and checks: the grip (empty while the window is
    // maximised), the panels 1..4 and their text rectangles.
    QRect gripRect() const { return m_grip; }
    QRect panelRect(int index) const;
    QRect textRect(int index) const;
    // The path text as last shown by Refresh().
    QString shownTextFile() const { return m_shownFile; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void layoutStrip();
    bool overGrip(const QPoint& pos) const;
    void watchWindow();

    QString m_textFile;
    QString m_textInfo[3];
    // What Refresh() last took, so that a stored text shows only after Refresh().
    QString m_shownFile;
    QString m_shownInfo[3];
    QRect m_grip;
    QRect m_panels[4];
    QRect m_texts[4];
    QWidget* m_watched = nullptr;
    bool m_dragging = false;
    QPoint m_dragStart;
    QSize m_dragSize;
};

} // namespace qb
