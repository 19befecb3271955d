#pragma once
// A window reduced to its texts, for tests of operations that report through the View.

#include <map>

#include "serial/View.h"

namespace yb::test {

class FakeView : public View {
public:
    QString text(Field field) const override {
        const auto it = texts.find(field);
        return it == texts.end() ? QString() : it->second;
    }
    void setText(Field field, const QString& text) override { texts[field] = text; }
    void setToolTip(Field field, const QString& text) override { toolTips[field] = text; }
    int comboListIndex() const override { return listIndex; }

    std::map<Field, QString> texts;
    std::map<Field, QString> toolTips;
    int listIndex = 0;
};

}  // namespace yb::test
