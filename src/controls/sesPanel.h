#pragma once

// A container with a thin border, a caption strip at the top and an optional
// footer strip at the bottom, each separated by an etched double line. Sizes
// are in millimetres. Also serves as the "please wait" notice of the reports.

#include <QFont>
#include <QLineF>
#include <QString>
#include <QWidget>

class QLabel;

namespace qb {

class sesPanel final : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(float CaptionHeight READ CaptionHeight WRITE setCaptionHeight)
    Q_PROPERTY(int Alignment READ Alignment WRITE setAlignment)
    Q_PROPERTY(float FooterHeight READ FooterHeight WRITE setFooterHeight)

public:
    explicit sesPanel(QWidget* parent = nullptr);
    ~sesPanel() override;
    Q_DISABLE_COPY_MOVE(sesPanel)

    // The caption label's font (by default the container's font).
    QFont Font() const;
    void setFont(const QFont& font);
    float CaptionHeight() const { return m_captionHeight; }
    void setCaptionHeight(float millimetres);
    // 0 left, 1 right, 2 centre.
    int Alignment() const { return m_alignment; }
    void setAlignment(int alignment);
    QString Caption() const { return m_caption; }
    void setCaption(const QString& caption);
    // 0 means no footer.
    float FooterHeight() const { return m_footerHeight; }
    void setFooterHeight(float millimetres);

    // The area inside the border between the caption strip and the footer
    // strip, for placing child controls.
    QRect contentsRectBelowCaption() const;
    // A line of the panel in pixels by its name ("LineTop", "LineBottom",
    // "LineLeft", "LineRight", "LineCaptionBorder1", "LineCaptionBorder2",
    // "LineFooterBorder1", "LinefooterBorder2"); a null line when hidden.
    QLineF line(const QString& name) const;

    double mmToPixelsX(double millimetres) const;
    double mmToPixelsY(double millimetres) const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct Line
    {
        QLineF mm; // end points in millimetres
        bool visible = true;
    };
    enum LineId {
        LineTop,
        LineBottom,
        LineLeft,
        LineRight,
        LineCaptionBorder1,
        LineCaptionBorder2,
        LineFooterBorder1,
        LinefooterBorder2,
        LineCount
    };

    void layoutPanel();
    // The lines for the current size; hidden ones are marked so.
    void computeLines(Line (&lines)[LineCount]) const;
    QLineF toPixels(const QLineF& mm) const;

    QLabel* m_lbl = nullptr;
    QString m_caption;
    float m_captionHeight = 10.0f;
    float m_footerHeight = 0.0f;
    int m_alignment = 2;
};

} // namespace qb
