#pragma once
// The control panel: the open project's channels as current readings or as the last
// downloaded record, and the state of the link, the instrument and its KWS module, on a
// 640 x 484 canvas that is centred in a larger window and scrolls in a smaller one. The view
// never changes the document; it rebuilds its rows on every update except hint 1.

#include <QScrollArea>
#include <bitset>

#include "project/DocObserver.h"
#include "session/Session.h"

class QLabel;
class QTableWidget;

namespace vg28 {
class CProjectDoc;
}

namespace vg28::ui {

class CMnemoView final : public QScrollArea, public DocObserver {
    Q_OBJECT
public:
    static constexpr int kCanvasWidth = 640;
    static constexpr int kCanvasHeight = 484;
    static constexpr int kStatusRowCount = 5;
    static constexpr int kRowMaskSize = 54;  // channels 0-48, then the five status rows

    explicit CMnemoView(CProjectDoc& doc, QWidget* parent = nullptr);
    ~CMnemoView() override;

    // Hint 1 (records) is ignored; every other hint refreshes.
    void OnDocumentUpdate(int hint) override;
    // Rebuilds the rows (which refreshes them).
    void Rebuild();
    void Refresh();

    int DisplayMode() const { return m_displayMode; }
    // The panel's commands cmd::kPanelCurrent and cmd::kPanelLastRecord.
    CommandState QueryCommand(int id) const;
    bool OnCommand(int id);

    QTableWidget* ValuesList() const { return m_values; }
    QTableWidget* StatusList() const { return m_status; }
    QLabel* TitleCaption() const { return m_title; }
    const std::bitset<kRowMaskSize>& RowMask() const { return m_rowMask; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildRows(bool fromRefresh);
    void PlaceControls();
    void AppendValueRow(const QString& title, const QString& units);
    void SaveLayout();

    CProjectDoc& m_doc;
    int m_displayMode = 0;
    std::bitset<kRowMaskSize> m_rowMask;
    QWidget* m_canvas = nullptr;
    QLabel* m_title = nullptr;
    QLabel* m_modeCaption = nullptr;
    QTableWidget* m_values = nullptr;
    QTableWidget* m_status = nullptr;
};

}  // namespace vg28::ui
