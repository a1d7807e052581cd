#include "app/CaptureListAccessible.h"

#include "app/CaptureListModel.h"
#include "app/CaptureListView.h"

#include <QAccessibleWidget>
#include <QPointer>

#include <unordered_map>

namespace {

class LineItem;

// The list itself. Its items are made when a reader asks for them and are kept by position, which
// stays the same for a line as long as it is in the list.
class ListAccessible : public QAccessibleWidget {
public:
    explicit ListAccessible(CaptureListView* view) : QAccessibleWidget(view, QAccessible::List) {}

    CaptureListView* View() const { return static_cast<CaptureListView*>(widget()); }
    const CaptureListModel& Model() const { return *static_cast<const CaptureListModel*>(View()->Model()); }

    int childCount() const override { return View()->ShownCount(); }
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override {
        const int row = View()->RowAt(View()->viewport()->mapFromGlobal(QPoint(x, y)));
        return row < 0 ? nullptr : child(View()->ViewRow(row));
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name)
            return QStringLiteral("Captured data");
        return QAccessibleWidget::text(t);
    }

private:
    mutable std::unordered_map<std::int64_t, QAccessible::Id> m_items;
};

class LineItem : public QAccessibleInterface {
public:
    LineItem(CaptureListView* view, std::int64_t position) : m_view(view), m_position(position) {}

    int Row() const {
        if (!m_view)
            return -1;
        const auto& model = *static_cast<const CaptureListModel*>(m_view->Model());
        const int row = model.RowAtPosition(m_position);
        return row >= 0 && row < model.Count() && m_view->ViewRow(row) >= 0 ? row : -1;
    }
    bool isValid() const override { return Row() >= 0; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_view ? m_view->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(m_view); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    void setText(QAccessible::Text, const QString&) override {}
    QString text(QAccessible::Text t) const override {
        const int row = Row();
        if (row < 0)
            return {};
        const auto& model = *static_cast<const CaptureListModel*>(m_view->Model());
        if (t == QAccessible::Name)
            return CaptureListModel::DisplayText(model.Line(row));
        if (t == QAccessible::Description) {
            const LineMark mark = model.Mark(row);
            const std::string_view meaning = LineKindText(mark.Kind());
            QString text = mark.Known()
                               ? QString::fromLatin1(meaning.data(), static_cast<qsizetype>(meaning.size()))
                               : QStringLiteral("not checked yet");
            if (model.StartsConnection(row))
                text += QStringLiteral("; ") + QLatin1String(CaptureListModel::kFirstOfConnection);
            return text;
        }
        return {};
    }
    QRect rect() const override {
        const int row = Row();
        if (row < 0)
            return {};
        const QRect local = m_view->RowRect(row);
        return QRect(m_view->viewport()->mapToGlobal(local.topLeft()), local.size());
    }
    QAccessible::State state() const override {
        QAccessible::State state;
        const int row = Row();
        state.selectable = true;
        state.focusable = true;
        state.selected = row >= 0 && row == m_view->SelectedRow();
        state.focused = state.selected && m_view->hasFocus();
        state.invisible = row < 0 || !m_view->viewport()->rect().intersects(m_view->RowRect(row));
        return state;
    }
    std::int64_t Position() const { return m_position; }

private:
    QPointer<CaptureListView> m_view;
    std::int64_t m_position;
};

QAccessibleInterface* ListAccessible::child(int index) const {
    if (index < 0 || index >= childCount())
        return nullptr;
    const std::int64_t position = Model().Position(View()->ModelRow(index));
    if (const auto found = m_items.find(position); found != m_items.end())
        if (QAccessibleInterface* item = QAccessible::accessibleInterface(found->second))
            return item;
    auto* item = new LineItem(View(), position);
    m_items[position] = QAccessible::registerAccessibleInterface(item);
    return item;
}

int ListAccessible::indexOfChild(const QAccessibleInterface* child) const {
    if (!child || child->role() != QAccessible::ListItem)
        return -1;
    const int row = static_cast<const LineItem*>(child)->Row();
    return row < 0 ? -1 : View()->ViewRow(row);
}

} // namespace

QAccessibleInterface* CaptureListAccessibleFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("CaptureListView") && object && object->isWidgetType())
        return new ListAccessible(static_cast<CaptureListView*>(object));
    return nullptr;
}
