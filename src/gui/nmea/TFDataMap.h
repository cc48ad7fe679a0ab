#pragma once

#include "core/review/PlcExport.h"
#include "core/review/Review.h"
#include "gui/shell/LanguageAware.h"
#include "gui/shell/WindowBase.h"
#include "report/MapColours.h"

#include <QColor>
#include <QList>
#include <QVector>
#include <QWidget>
#include <functional>

class QLabel;
class QPushButton;
class QScrollArea;
struct ProgramState;
namespace WindowLook {
class TitlePanel;
}

// The data array drawn byte by byte: each compiled rule's bytes in a colour of its own with its
// number and mnemonic, bytes of more than one rule in red, the ends of the two EtherNet/IP arrays
// marked, and the bytes past both shaded. A tooltip names the rules of the byte under the mouse.
class DataMapView : public QWidget {
public:
    static constexpr int BytesPerRow = 32;
    static constexpr int CellWidth = 30;
    static constexpr int CellHeight = 20;
    static constexpr int OffsetWidth = 48; // the first byte of each row, at the left
    static constexpr int HeaderHeight = 18;
    static inline const QColor Shared = MapColours::Shared;
    static inline const QColor Beyond = MapColours::Beyond;
    static inline const QColor OutputMarker = MapColours::OutputMarker;

    DataMapView(const ProgramState& state, QWidget* parent);

    void setReview(const Review::Result& review);

    // Where byte lies in the view; its colour and tooltip as drawn and shown.
    QRect byteRect(int byte) const;
    int byteAt(const QPoint& point) const; // -1 outside the bytes
    QColor byteColour(int byte) const;
    QString byteToolTip(int byte) const;
    // The compiled rules filling byte, in image order.
    QList<int> rulesAt(int byte) const;
    int bytesInUse() const;
    // The x where a marker stands: at the left edge of the first byte past the array.
    QRect arrayEndMarker(int arrayBytes) const;
    quint32 outputBytes() const { return m_output; }

    static QColor ruleColour(int order);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    const ProgramState& m_state;
    QList<Review::CompiledRule> m_rules;
    // For each byte of the data array, the places in m_rules of the rules that fill it.
    QVector<QList<int>> m_owners;
    quint32 m_output = 0; // the output array: the bytes the PLC receives
};

// The data map window: opened from the rules window, it follows the table's current rows.
class TFDataMap : public DialogBase, public LanguageAware {
    Q_OBJECT
public:
    TFDataMap(const ProgramState& state, QWidget* parent);
    void Set_Lang() override;

    // Shows the compiled rules of a review: the table's rows as they stand.
    void showReview(const Review::Result& review);

    // Writes the map shown in a format for the PLC; a refused layout or a failed write is told in an
    // error box and writes nothing.
    bool exportTo(const QString& path, Review::MapFormat format);
    // Writes the commissioning report of the map shown as a PDF in the catalog's language, with the
    // communication parameters as saved; a document that cannot be read or a failed write is told
    // in an error box and writes nothing.
    bool reportTo(const QString& path);
    // Where Export and Report ask for the file: given the title, the suggested path and the filters
    // (for Export in Review::MapFormat order), the chosen path or empty, and the filter chosen. A
    // file dialog unless tests put their answer in place.
    using SaveQuestion =
        std::function<QString(QWidget* parent, const QString& title, const QString& suggested,
                              const QStringList& filters, QString* chosenFilter)>;
    void setSaveQuestion(SaveQuestion question) { m_saveQuestion = std::move(question); }

    WindowLook::TitlePanel* P_Title;
    QLabel* L_Summary;
    QLabel* L_Input;
    QLabel* L_Output;
    QLabel* L_Shared;
    QLabel* L_Beyond;
    QScrollArea* SB_Map;
    DataMapView* Map;
    QWidget* P_Button;
    QPushButton* Btn_Close;
    QPushButton* Btn_Export;
    QPushButton* Btn_Report;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void showCounts();
    void exportClicked();
    void reportClicked();
    QStringList exportFilters() const;
    // The legend's lines, the map below them and the button row at the bottom.
    void layOut();

    const ProgramState& m_state;
    Review::Result m_review;
    SaveQuestion m_saveQuestion;
};
