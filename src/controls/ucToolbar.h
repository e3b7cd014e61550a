#pragma once

// The main window's toolbar: one strip of square image buttons, laid out from
// a format mask with one letter per button ("N" plain, "C" check, "O"
// option, "|" separator), drawn flat with a raised frame under the mouse and
// a sunken frame when pressed or checked. Separators also close option groups.

#include <QColor>
#include <QList>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>

namespace qb {

class ucToolbar final : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QColor BackColor READ BackColor WRITE setBackColor)
    Q_PROPERTY(int BarOrientation READ BarOrientation WRITE setBarOrientation)
    Q_PROPERTY(bool BarEdge READ BarEdge WRITE setBarEdge)

public:
    enum ButtonKind { Plain = 0, Check = 1, Option = 2 };
    enum Look { Pressed = -1, Flat = 0, Raised = 1 };

    explicit ucToolbar(QWidget* parent = nullptr);
    ~ucToolbar() override;
    Q_DISABLE_COPY_MOVE(ucToolbar)

    // Image holds the images side by side, IconSize pixels square each;
    // MaskColor is transparent. An empty FormatMask gives one plain button per image.
    void BuildToolbar(
        const QPixmap& Image, const QColor& MaskColor, int IconSize, const QString& FormatMask);
    // Tooltips separated by "|", in button order.
    void SetToolTips(const QString& New_ToolTips);
    // Index is 1-based; 0 or beyond ButtonsCount() is ignored.
    void EnableButton(int Index, bool Enable);
    // An index outside the buttons answers false.
    bool IsButtonEnabled(int Index) const;
    bool IsButtonChecked(int Index) const;
    // Checks a check or option button from code and raises ButtonCheck.
    void CheckButton(int Index);
    int ButtonsCount() const { return int(m_buttons.size()); }

    QColor BackColor() const { return m_backColor; }
    void setBackColor(const QColor& color);
    // 0 horizontal, 1 vertical; takes effect at the next BuildToolbar.
    int BarOrientation() const { return m_orientation; }
    void setBarOrientation(int orientation);
    bool BarEdge() const { return m_barEdge; }
    void setBarEdge(bool edge);

    // Geometry and state of button Index (1-based), for hosts placing menus and for checks.
    QRect buttonRect(int Index) const;
    QRect separatorRect(int Index) const;
    int buttonLook(int Index) const;
    int buttonKind(int Index) const;
    QString toolTipOf(int Index) const;
    int hotButton() const { return m_hot; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    // MouseButton: 1 left, 2 right, 4 middle; xLeft/yTop the button's corner in the control.
    void ButtonClick(int Index, int MouseButton, int xLeft, int yTop);
    void ButtonCheck(int Index, int xLeft, int yTop);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    struct Button
    {
        int kind = Plain;
        int look = Flat;
        bool enabled = true;
        bool checked = false;
        bool inside = false;
        QRect rect;
        QRect inner;
        QRect separator;
        QPixmap image;
    };

    bool valid(int index) const { return index >= 1 && index <= ButtonsCount(); }
    Button& button(int index) { return m_buttons[index - 1]; }
    const Button& button(int index) const { return m_buttons[index - 1]; }
    int buttonAt(const QPoint& pos) const;
    void trackHot(const QPoint& pos);
    void leaveHot();
    void makeHot(int index);
    void clearOptionGroup(int index);
    void setLook(int index, int look);
    void redraw(int index);
    void rebuildColours();
    void drawButton(QPainter& painter, int index) const;

    QList<Button> m_buttons;
    QStringList m_toolTips;
    QString m_tipText; // the tooltip of the hot-spot over the hot button
    QColor m_backColor;
    QColor m_highlight;
    QColor m_shadow;
    QPixmap m_pattern;
    int m_orientation = 0;
    bool m_barEdge = false;
    int m_iconSize = 0;
    int m_buttonSize = 0;
    int m_barLength = 0;
    int m_hot = 0;
    int m_held = 0; // the mouse button pressed on the hot button (1, 2, 4), 0 when none
};

} // namespace qb
