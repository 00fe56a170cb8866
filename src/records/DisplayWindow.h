#pragma once

#include <QList>
#include <QString>
#include <array>

#include <optional>

#include "records/RecordCursor.h"
#include "ui/TaskWindow.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class PickResultsFrame;
struct ChangeResult;

// The record window: shows the open database's records one at a time, moves
// along key 1, and adds, edits and deletes records. What it shows is the
// session's CurrentRecord; it keeps only the identity of the record on screen,
// so that Edit, Delete and the arrows act on that record whatever other
// windows fetch meanwhile.
class DisplayWindow : public TaskWindow {
    Q_OBJECT

public:
    static constexpr int UserFields = 12;
    static constexpr int Labels = 17;

    explicit DisplayWindow(AppContext& context, QWidget* parent = nullptr);

    void Form_Activate() override;
    QSize sizeHint() const override;

    // CurrentRecord into the boxes.
    void ShowRecord();
    // The boxes into CurrentRecord; a date or count that cannot be kept is
    // replaced in its box first.
    void ReadControls();
    // Title and enabled controls for DisplayMode, then the main window's title.
    void ApplyMode();
    // Blank boxes for a new record.
    void ClearControls();
    // Field names from the definition file; rows not in use are hidden.
    void LoadFieldLabels();

    // The results of the latest pick.
    QGroupBox* resultsFrame() const;
    QListWidget* resultsList() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void buildLayout();
    void setTabOrder();
    void connectButtons();
    void giveKeys();
    QList<QLineEdit*> textBoxes() const;
    static QString withoutTrailingSpaces(QString text);

    void cmdFirst_Click();
    void cmdPrevious_Click();
    void cmdNext_Click();
    void cmdLast_Click();
    void cmdNew_Click();
    void cmdEdit_Click();
    void cmdSave_Click();
    void cmdDelete_Click();
    void cmdPick_Click();
    void cmdPublicDraw_Click();
    void cmdFind_Click();
    void cmdClose_Click();

    static void showMember(QLineEdit* box, const QByteArray& member, int width);
    // A record just fetched becomes CurrentRecord and is shown; nothing changes without one.
    void showFetched(const std::optional<DataRecord>& record);
    void saveCopies();
    void saveChanges();
    ChangeResult writeCopies(qint32 copies);
    void reportFailure(const QString& what, const ChangeResult& result);
    void setEditing(bool editing);
    // The chance of the record on screen to be drawn first in the next pick.
    void ShowOdds();
    void setBrowsing(bool browsing);

    std::array<QLabel*, Labels> lblField_{};
    std::array<QLineEdit*, UserFields> txtField_{};
    QLineEdit* txtDateEntered_ = nullptr;
    QLineEdit* txtLastPicked_ = nullptr;
    QLineEdit* txtTimesPicked_ = nullptr;
    QCheckBox* cbOmit_ = nullptr;
    QLineEdit* txtNotes_ = nullptr;
    QLabel* lblOddsCaption_ = nullptr;
    QLabel* lblOdds_ = nullptr;
    QPushButton* cmdFirst_ = nullptr;
    QPushButton* cmdPrevious_ = nullptr;
    QPushButton* cmdNext_ = nullptr;
    QPushButton* cmdLast_ = nullptr;
    QPushButton* cmdFind_ = nullptr;
    QPushButton* cmdNew_ = nullptr;
    QPushButton* cmdEdit_ = nullptr;
    QPushButton* cmdDelete_ = nullptr;
    QPushButton* cmdSave_ = nullptr;
    QPushButton* cmdPick_ = nullptr;
    QPushButton* cmdPublicDraw_ = nullptr;
    PickResultsFrame* frameResults_ = nullptr;
    QPushButton* cmdClose_ = nullptr;

    // The database the window works on and the record on screen.
    RecordCursor cursor_;
};
