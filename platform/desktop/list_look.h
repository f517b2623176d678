#pragma once

class QAbstractItemView;

namespace hc {

// Keeps a list's selection as visible when the list loses the keyboard focus as while it has
// it, so a child or teacher still sees which row is chosen after moving to a button.
void keepSelectionVisible(QAbstractItemView& view);

} // namespace hc
