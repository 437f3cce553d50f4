// SPDX-License-Identifier: GPL-3.0-or-later
// The contents of unit windows, one per unit key, and typed views of them.
#pragma once

#include <QHash>
#include <QList>

#include "UIK_ContentController.h"

using UIK_Contents = QHash<int, UIK_ContentController*>;

// The contents of one kind in the table of all contents, looked up like a
// table of their own (keys are those of the table). `Kind` must be complete
// where value() is used.
template <class Kind>
class UIK_Contents_Of {
public:
    explicit UIK_Contents_Of(const UIK_Contents& all) : all_(all) {}
    Kind* value(int key) const { return dynamic_cast<Kind*>(all_.value(key)); }
    bool contains(int key) const { return value(key) != nullptr; }
    QList<int> keys() const {
        QList<int> found;
        for (auto it = all_.begin(); it != all_.end(); ++it)
            if (value(it.key()) != nullptr) found.append(it.key());
        return found;
    }
    int size() const { return keys().size(); }
    bool isEmpty() const { return keys().isEmpty(); }

private:
    const UIK_Contents& all_;
};
