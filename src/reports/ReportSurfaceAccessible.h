#pragma once

#include <QAccessibleWidget>

class ReportSurface;

// What a screen reader finds on the report's preview: a read-only document
// named "Preview", described by the page in view ("Page 2 of 5"), whose text
// is the rows of that page as they will print. The text follows the page as
// the user scrolls.
class ReportSurfaceAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit ReportSurfaceAccessible(ReportSurface* surface);

    // Makes every ReportSurface speak through this class.
    static void install();
    // Tells screen readers that the page in view is another one.
    static void pageChanged(ReportSurface* surface);

    void* interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text kind) const override;
    QAccessible::State state() const override;

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

private:
    ReportSurface* surface() const;
    QString pageText() const;

    int cursor_ = 0;
};
