#include "gui/comm/CategoryPanelGroup.h"

#include "gui/shell/Pictures.h"
#include "gui/shell/WindowLook.h"

#include <QEnterEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace {

const QColor kHeaderBackground(231, 216, 216);
const QColor kChevronRed(220, 30, 30);
constexpr int kChevronSize = 16;

} // namespace

PanelChevron::PanelChevron(QWidget* parent) : QWidget(parent) {
    setFixedSize(kChevronSize, kChevronSize);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
}

void PanelChevron::setCollapsed(bool collapsed) {
    m_collapsed = collapsed;
    update();
}

void PanelChevron::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(
        QPen(m_hot ? kChevronRed : WindowLook::TitleGrey, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    // Two stacked chevrons: up to collapse, down to expand.
    const double s = kChevronSize;
    for (double y : {s * 0.3, s * 0.6}) {
        const double tip = m_collapsed ? y + s * 0.15 : y - s * 0.15;
        const double ends = m_collapsed ? y - s * 0.1 : y + s * 0.1;
        const QPointF points[] = {{s * 0.2, ends}, {s * 0.5, tip}, {s * 0.8, ends}};
        painter.drawPolyline(points, 3);
    }
}

void PanelChevron::enterEvent(QEnterEvent* event) {
    m_hot = true;
    update();
    QWidget::enterEvent(event);
}

void PanelChevron::leaveEvent(QEvent* event) {
    m_hot = false;
    update();
    QWidget::leaveEvent(event);
}

void PanelChevron::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

CategoryPanel::CategoryPanel(QWidget* parent, const QString& objectName) : QWidget(parent) {
    setObjectName(objectName);
    m_header = new QWidget(this);
    m_header->setObjectName(objectName + QStringLiteral("_Header"));
    m_header->setAutoFillBackground(true);
    QPalette headerPalette = m_header->palette();
    headerPalette.setColor(QPalette::Window, kHeaderBackground);
    m_header->setPalette(headerPalette);
    // A click anywhere on the header toggles the panel, as on its chevron.
    m_header->installEventFilter(this);

    m_picture = new QLabel(m_header);
    m_picture->setGeometry(4, (HeaderHeight - 16) / 2, 16, 16);
    m_caption = new QLabel(m_header);
    m_caption->setFont(WindowLook::font(15, true));
    QPalette captionPalette = m_caption->palette();
    captionPalette.setColor(QPalette::WindowText, WindowLook::TitleGrey);
    m_caption->setPalette(captionPalette);
    m_caption->move(26, 0);
    m_chevron = new PanelChevron(m_header);
    connect(m_chevron, &PanelChevron::clicked, this, [this] { setCollapsed(!m_collapsed); });

    m_body = new QWidget(this);
    m_body->setObjectName(objectName + QStringLiteral("_Body"));
    setCollapsed(false);
}

QString CategoryPanel::caption() const {
    return m_caption->text();
}

void CategoryPanel::setCaption(const QString& caption) {
    m_caption->setText(caption);
    m_caption->resize(m_caption->sizeHint().width(), HeaderHeight);
}

void CategoryPanel::setCollapsed(bool collapsed) {
    const bool changed = collapsed != m_collapsed;
    m_collapsed = collapsed;
    m_picture->setPixmap(
        Pictures::picture(collapsed ? Pictures::Kind::PanelCollapsed : Pictures::Kind::PanelExpanded, 16));
    m_chevron->setCollapsed(collapsed);
    m_body->setVisible(!collapsed);
    if (changed)
        emit heightChanged();
}

void CategoryPanel::setExpandedHeight(int height) {
    if (height == m_expandedHeight)
        return;
    m_expandedHeight = height;
    emit heightChanged();
}

void CategoryPanel::resizeEvent(QResizeEvent* event) {
    m_header->setGeometry(0, 0, width(), HeaderHeight);
    m_chevron->move(width() - kChevronSize - 6, (HeaderHeight - kChevronSize) / 2);
    m_body->setGeometry(0, HeaderHeight, width(), qMax(0, m_expandedHeight - HeaderHeight));
    QWidget::resizeEvent(event);
}

bool CategoryPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_header && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        setCollapsed(!m_collapsed);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

CategoryPanelGroup::CategoryPanelGroup(QWidget* parent) : QScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setWidgetResizable(false);
    m_content = new QWidget;
    m_content->setObjectName(QStringLiteral("CPG_Content"));
    WindowLook::apply(m_content);
    setWidget(m_content);
    // The panels follow the thumb while it is dragged.
    verticalScrollBar()->setTracking(true);
}

CategoryPanel* CategoryPanelGroup::addPanel(const QString& objectName) {
    auto* panel = new CategoryPanel(m_content, objectName);
    m_panels.push_back(panel);
    connect(panel, &CategoryPanel::heightChanged, this, &CategoryPanelGroup::restack);
    restack();
    return panel;
}

void CategoryPanelGroup::restack() {
    int top = 0;
    for (CategoryPanel* panel : m_panels) {
        if (panel->isHidden())
            continue;
        panel->setGeometry(0, top, viewport()->width(), panel->currentHeight());
        top += panel->currentHeight();
    }
    m_content->resize(viewport()->width(), top);
}

void CategoryPanelGroup::scrollLines(int lines, bool up) {
    for (int i = 0; i < lines; ++i) {
        verticalScrollBar()->triggerAction(up ? QAbstractSlider::SliderSingleStepSub
                                              : QAbstractSlider::SliderSingleStepAdd);
    }
}

void CategoryPanelGroup::resizeEvent(QResizeEvent* event) {
    // Receives the viewport's resizes: the scroll bar appearing narrows the panels.
    QScrollArea::resizeEvent(event);
    restack();
}
