#include "reports/ReportSurfaceAccessible.h"

#include "reports/ReportSurface.h"
#include "ui/AccessibleFactory.h"

ReportSurfaceAccessible::ReportSurfaceAccessible(ReportSurface* surface)
    : QAccessibleWidget(surface, QAccessible::Document) {}

void ReportSurfaceAccessible::install() {
    InstallAccessible<ReportSurfaceAccessible, ReportSurface>();
}

void ReportSurfaceAccessible::pageChanged(ReportSurface* surface) {
    if (!QAccessible::isActive()) return;
    QAccessibleEvent described(surface, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&described);
    QAccessibleTextUpdateEvent text(surface, 0, QString(), QString());
    QAccessible::updateAccessibility(&text);
}

ReportSurface* ReportSurfaceAccessible::surface() const {
    return static_cast<ReportSurface*>(widget());
}

QString ReportSurfaceAccessible::pageText() const {
    return surface()->pageRows(surface()->currentPage()).join(QLatin1Char('\n'));
}

void* ReportSurfaceAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString ReportSurfaceAccessible::text(QAccessible::Text kind) const {
    switch (kind) {
        case QAccessible::Description:
            return QStringLiteral("Page %1 of %2")
                .arg(surface()->currentPage() + 1)
                .arg(surface()->pageCount());
        case QAccessible::Value:
            return pageText();
        default:
            return QAccessibleWidget::text(kind);
    }
}

QAccessible::State ReportSurfaceAccessible::state() const {
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = true;
    state.multiLine = true;
    return state;
}

// Nothing is ever selected in the preview.
void ReportSurfaceAccessible::selection(int, int* startOffset, int* endOffset) const {
    *startOffset = *endOffset = 0;
}
int ReportSurfaceAccessible::selectionCount() const {
    return 0;
}
void ReportSurfaceAccessible::addSelection(int, int) {}
void ReportSurfaceAccessible::removeSelection(int) {}
void ReportSurfaceAccessible::setSelection(int, int, int) {}

// A reading position of the screen reader's own, so that it can move
// through the page by line and word.
int ReportSurfaceAccessible::cursorPosition() const {
    return std::min(cursor_, characterCount());
}
void ReportSurfaceAccessible::setCursorPosition(int position) {
    cursor_ = std::clamp(position, 0, characterCount());
}

QString ReportSurfaceAccessible::text(int startOffset, int endOffset) const {
    const QString all = pageText();
    if (endOffset < 0 || endOffset > all.size()) endOffset = int(all.size());
    startOffset = std::clamp(startOffset, 0, endOffset);
    return all.mid(startOffset, endOffset - startOffset);
}

int ReportSurfaceAccessible::characterCount() const {
    return int(pageText().size());
}

QRect ReportSurfaceAccessible::characterRect(int) const {
    return {};
}

int ReportSurfaceAccessible::offsetAtPoint(const QPoint&) const {
    return -1;
}

void ReportSurfaceAccessible::scrollToSubstring(int, int) {}

QString ReportSurfaceAccessible::attributes(int offset, int* startOffset, int* endOffset) const {
    *startOffset = 0;
    *endOffset = characterCount();
    Q_UNUSED(offset);
    return {};
}
