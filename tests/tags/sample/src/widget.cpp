// Widget members.
#include "widget.h"

namespace ui {

Widget::Widget(int value) : value_(value), state_(WidgetState::Idle) {}

void Widget::Set(int value) { value_ = value; }

void Widget::SetValue(int value)
{
    Set(value);
    state_ = WidgetState::Done;
}

int Widget::GetValue() const { return value_; }

void Widget::Reset() { value_ = 0; }

static int ClampValue(int value)
{
    return value < 0 ? 0 : value > SET_LIMIT ? SET_LIMIT : value;
}

int ResetAll(Widget* widgets, int count)
{
    for (int i = 0; i < count; ++i) widgets[i].SetValue(ClampValue(0));
    return count;
}

}  // namespace ui
