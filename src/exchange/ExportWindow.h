#pragma once

#include <array>
#include <optional>
#include <vector>

#include "exchange/ExportColumns.h"
#include "exchange/ExportFormat.h"
#include "exchange/RecordExport.h"
#include "store/Records.h"
#include "store/ShownDatabase.h"
#include "ui/TaskWindow.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// Exports the open database as a CSV file (database mode, asked for by the
// Import/Export window) or the records of the latest pick as CSV, HTML or
// plain text (pick-results mode, asked for by the record window). The mode
// follows the session's ExportFromMenu each time the window becomes active,
// so whichever window asked last is the one served. The window keeps its
// choices between exports.
class ExportWindow : public TaskWindow {
    Q_OBJECT

public:
    explicit ExportWindow(AppContext& context, QWidget* parent = nullptr);

    void Form_Activate() override;

    // Field names from the definition file; boxes of unused slots are hidden.
    void LoadFieldChoices();
    void ExportDatabase();
    void ExportPickResults();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void buildLayout();
    void applyMode();
    bool checksPass();
    std::optional<ExportFormat> chosenFormat() const;
    RecordExport::Request request(ExportFormat format) const;
    void run(ExportFormat format);
    void report(const RecordExport::Outcome& outcome, ExportFormat format);
    void hideFieldChoice(int slot);

    void cmdExport_Click();
    void cmdClose_Click();

    QGroupBox* Frame1_ = nullptr;
    std::array<QCheckBox*, DataRecord::FieldCount> cbfield_{};
    // cbDateEntered, cbLastPicked, cbTimesPicked, cbOmit, cbNotes
    std::array<QCheckBox*, ExportColumns::Boxes - DataRecord::FieldCount> cbFixed_{};
    QGroupBox* Frame2_ = nullptr;
    QRadioButton* opComma_ = nullptr;
    QRadioButton* ophtml_ = nullptr;
    QRadioButton* optext_ = nullptr;
    QGroupBox* Frame3_ = nullptr;
    QLineEdit* txtExportFile_ = nullptr;
    QCheckBox* cbFieldNames_ = nullptr;
    QPushButton* cmdExport_ = nullptr;
    QPushButton* cmdClose_ = nullptr;

    // The database whose field names the boxes show, and its definitions.
    ShownDatabase database_;
    std::vector<FieldDefinition> definitions_;
};
