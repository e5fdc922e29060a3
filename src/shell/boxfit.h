#pragma once
// Sizes that keep a box's text whole and its arrows beside it, whatever the font and the style.

class QComboBox;
class QLineEdit;
class QString;
class UpDownControl;

namespace BoxFit {

/// The width at which box shows text whole: the text, the room a line edit keeps beside it,
/// its text margins and the style's frame.
int lineEditWidth(const QLineEdit *box, const QString &text);

/// The width at which an editable list shows text whole in its line edit, which keeps room
/// beside its text that the list's own size hint leaves out.
int editableListWidth(const QComboBox *list, const QString &text);

/// Arrows that stand right of a box: as tall as the box, a little wider than a line of text.
void arrowsBesideBox(UpDownControl *arrows);

} // namespace BoxFit
