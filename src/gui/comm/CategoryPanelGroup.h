#pragma once

#include <QScrollArea>
#include <QWidget>

#include <vector>

class QLabel;

// The chevron at the right of a panel header: points up while the panel is expanded, down while it
// is collapsed, and turns red under the pointer.
class PanelChevron : public QWidget {
    Q_OBJECT
public:
    explicit PanelChevron(QWidget* parent);
    void setCollapsed(bool collapsed);

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_collapsed = false;
    bool m_hot = false;
};

// One collapsible panel: a header of the group's header height with a picture, the caption and
// the chevron, and below it the body that holds the panel's controls.
class CategoryPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int HeaderHeight = 24;

    CategoryPanel(QWidget* parent, const QString& objectName);

    QWidget* body() const { return m_body; }
    PanelChevron* chevron() const { return m_chevron; }
    QString caption() const;
    void setCaption(const QString& caption);

    bool isCollapsed() const { return m_collapsed; }
    void setCollapsed(bool collapsed);
    // The height with the body shown; a collapsed panel keeps it for when it expands again.
    void setExpandedHeight(int height);
    int currentHeight() const { return m_collapsed ? HeaderHeight : m_expandedHeight; }

signals:
    void heightChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_header;
    QLabel* m_picture;
    QLabel* m_caption;
    PanelChevron* m_chevron;
    QWidget* m_body;
    bool m_collapsed = false;
    int m_expandedHeight = HeaderHeight;
};

// Panels stacked from the top, each directly below the one before, in a vertical scroll area.
class CategoryPanelGroup : public QScrollArea {
    Q_OBJECT
public:
    explicit CategoryPanelGroup(QWidget* parent);

    // Adds a panel below the others; the group owns it.
    CategoryPanel* addPanel(const QString& objectName);

    // Places every panel at the previous panel's top plus its height.
    void restack();
    // Scrolls by whole lines, up or down.
    void scrollLines(int lines, bool up);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* m_content;
    std::vector<CategoryPanel*> m_panels;
};
