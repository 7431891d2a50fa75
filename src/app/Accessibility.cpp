#include "app/Accessibility.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTabWidget>

namespace zvk {

namespace {
QString clean(QString text) {
    text.remove(QLatin1Char('&'));
    return text.simplified();
}

QString groupTitle(const QWidget* w) {
    for (const QWidget* p = w->parentWidget(); p; p = p->parentWidget()) {
        if (const auto* g = qobject_cast<const QGroupBox*>(p)) {
            if (!clean(g->title()).isEmpty())
                return clean(g->title());
        }
    }
    return {};
}
} // namespace

void labelFor(QLabel* label, QWidget* field) {
    label->setBuddy(field);
    field->setAccessibleName(clean(label->text()));
}

void applyAccessibleNames(QWidget* root) {
    QList<QWidget*> all = root->findChildren<QWidget*>();
    all.prepend(root);
    // Labels that are buddies name their fields.
    for (QWidget* w : std::as_const(all)) {
        if (auto* l = qobject_cast<QLabel*>(w); l && l->buddy() && l->buddy()->accessibleName().isEmpty())
            l->buddy()->setAccessibleName(clean(l->text()));
    }
    for (QWidget* w : std::as_const(all)) {
        if (!w->accessibleName().isEmpty())
            continue;
        QString name;
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            name = clean(b->text());
        else if (auto* g = qobject_cast<QGroupBox*>(w))
            name = clean(g->title());
        else if (auto* l = qobject_cast<QLabel*>(w))
            name = clean(l->text());
        if (name.isEmpty())
            name = clean(w->toolTip());
        const bool field = qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractSpinBox*>(w) ||
                           qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractItemView*>(w) ||
                           qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QProgressBar*>(w) ||
                           qobject_cast<QTabWidget*>(w);
        if (name.isEmpty() && field)
            name = groupTitle(w);
        if (name.isEmpty() && (field || qobject_cast<QAbstractButton*>(w)))
            name = w->objectName();
        if (!name.isEmpty())
            w->setAccessibleName(name);
    }
}

} // namespace zvk
