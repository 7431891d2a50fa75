#pragma once
// Accessible names for screen readers and UI automation: every control gets one, from its caption,
// from the label that stands before it (made its buddy), from its group, or from its hint.

class QWidget;
class QLabel;

namespace zvk {

// Makes label the buddy of field and names field after the label's text.
void labelFor(QLabel* label, QWidget* field);
// Fills in the names still missing below root.
void applyAccessibleNames(QWidget* root);

} // namespace zvk
