#include "platform/fltk/fltk_message_dialog.h"
#include "platform/fltk/fltk_archive_look.h"

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Text_Buffer.H>
#include <FL/Fl_Text_Editor.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace sonkrate::platform::desktop {

namespace {

constexpr int kPad = 16;
constexpr int kIconSize = 32;
constexpr int kButtonHeight = 28;
constexpr int kMaxTextWidth = 440;
constexpr Fl_Font kDialogFont = FL_HELVETICA;
constexpr int kDialogFontSize = 13;

bool fits(const std::string& text, std::size_t length, int width) {
    return fl_width(text.c_str(), static_cast<int>(length)) <= width;
}

// Where to cut a word too wide for a line: after the last path separator
// of the longest prefix that fits, or at that prefix's end.
std::size_t cutPoint(const std::string& word, int width) {
    std::size_t n = 0;
    while (n < word.size()) {
        std::size_t next = n + 1;
        while (next < word.size() && (static_cast<unsigned char>(word[next]) & 0xC0) == 0x80) ++next;
        if (n > 0 && !fits(word, next, width)) break;
        n = next;
    }
    std::size_t separator = word.find_last_of("/\\", n - 1);
    if (separator != std::string::npos && separator + 1 < n && separator + 1 >= n / 3) return separator + 1;
    return n;
}

void wrapParagraph(const std::string& paragraph, int width, std::vector<std::string>& out) {
    std::string line;
    std::size_t at = 0;
    while ((at = paragraph.find_first_not_of(' ', at)) != std::string::npos) {
        std::size_t end = std::min(paragraph.find(' ', at), paragraph.size());
        std::string word = paragraph.substr(at, end - at);
        at = end;
        std::string joined = line;
        if (!joined.empty()) joined += ' ';
        joined += word;
        if (fits(joined, joined.size(), width)) {
            line = joined;
            continue;
        }
        if (!line.empty()) out.push_back(line);
        while (!fits(word, word.size(), width)) {
            std::size_t cut = cutPoint(word, width);
            out.push_back(word.substr(0, cut));
            word.erase(0, cut);
        }
        line = word;
    }
    out.push_back(line);
}

// Lines of text drawn as they are: no '@' symbols, no '&' underlines.
class TextLines : public Fl_Widget {
public:
    TextLines(int x, int y, int w, int h, std::vector<std::string> lines)
        : Fl_Widget(x, y, w, h), lines_(std::move(lines)) {}
    void draw() override {
        fl_font(kDialogFont, kDialogFontSize);
        fl_color(FL_BLACK);
        int lineHeight = fl_height();
        fl_push_clip(x(), y(), w(), h());
        for (std::size_t i = 0; i < lines_.size(); ++i)
            fl_draw(lines_[i].c_str(), x(), y() + static_cast<int>(i) * lineHeight + lineHeight - fl_descent());
        fl_pop_clip();
    }

private:
    std::vector<std::string> lines_;
};

class IconBox : public Fl_Widget {
public:
    IconBox(int x, int y, DialogIcon icon) : Fl_Widget(x, y, kIconSize, kIconSize), icon_(icon) {}
    void draw() override {
        Fl_Color ground = icon_ == DialogIcon::Error     ? fl_rgb_color(204, 40, 40)
                          : icon_ == DialogIcon::Warning ? fl_rgb_color(232, 160, 20)
                                                         : fl_rgb_color(48, 110, 200);
        const char* glyph = icon_ == DialogIcon::Question ? "?" : icon_ == DialogIcon::Information ? "i" : "!";
        fl_color(ground);
        if (icon_ == DialogIcon::Warning)
            fl_polygon(x() + w() / 2, y() + 1, x() + w() - 1, y() + h() - 3, x(), y() + h() - 3);
        else
            fl_pie(x(), y(), w(), h(), 0, 360);
        fl_color(icon_ == DialogIcon::Warning ? FL_BLACK : FL_WHITE);
        fl_font(FL_HELVETICA_BOLD, 20);
        fl_draw(glyph, x(), y() + (icon_ == DialogIcon::Warning ? 4 : 0), w(), h(), FL_ALIGN_CENTER);
    }

private:
    DialogIcon icon_;
};

// Escape closes the dialog itself: as a shortcut it would first be offered
// to the widget under the pointer, which may be in the window behind.
bool escapePressed(int event) {
    return (event == FL_KEYBOARD || event == FL_SHORTCUT) && Fl::event_key() == FL_Escape &&
           !Fl::event_state(FL_CTRL | FL_ALT | FL_META | FL_SHIFT);
}

class ChoiceWindow : public Fl_Double_Window {
public:
    ChoiceWindow(int w, int h) : Fl_Double_Window(w, h) {}
    std::vector<Fl_Button*> buttons;
    int result = -1;

    void finish(int chosen) {
        result = chosen;
        hide();
    }
    int handle(int event) override {
        if (escapePressed(event)) {
            finish(-1);
            return 1;
        }
        bool enter = event == FL_KEYBOARD && (Fl::event_key() == FL_Enter || Fl::event_key() == FL_KP_Enter);
        if (!enter) return Fl_Double_Window::handle(event);
        // Enter presses the button that has the keyboard, else the default.
        int chosen = 0;
        for (std::size_t i = 0; i < buttons.size(); ++i)
            if (Fl::focus() == buttons[i]) chosen = static_cast<int>(i);
        finish(chosen);
        return 1;
    }
};

void styleButton(Fl_Button* b, bool isDefault) {
    b->box(FL_GTK_UP_BOX);
    b->labelfont(kDialogFont);
    b->labelsize(kDialogFontSize);
    if (isDefault) {
        b->color(kSelection);
        b->labelcolor(FL_WHITE);
    }
}

void placeOver(Fl_Window& dialog, Fl_Window* over) {
    int sx = 0, sy = 0, sw = 0, sh = 0;
    Fl::screen_work_area(sx, sy, sw, sh);
    int x = sx + (sw - dialog.w()) / 2, y = sy + (sh - dialog.h()) / 3;
    if (over && over->shown()) {
        x = over->x() + (over->w() - dialog.w()) / 2;
        y = over->y() + (over->h() - dialog.h()) / 3;
    }
    dialog.position(std::clamp(x, sx, std::max(sx, sx + sw - dialog.w())), std::clamp(y, sy, std::max(sy, sy + sh - dialog.h())));
}

void runModal(Fl_Window& dialog) {
    dialog.set_modal();
    dialog.show();
    while (dialog.shown()) Fl::wait();
}

}  // namespace

std::vector<std::string> wrapText(const std::string& text, int width) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = text.find('\n', start);
        std::string paragraph = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!paragraph.empty() && paragraph.back() == '\r') paragraph.pop_back();
        wrapParagraph(paragraph, width, out);
        if (end == std::string::npos) return out;
        start = end + 1;
    }
}

int runMessageDialog(const std::string& title, const std::string& message, DialogIcon icon,
                     const std::vector<std::string>& buttons, Fl_Window* over) {
    fl_font(kDialogFont, kDialogFontSize);
    int textWidth = std::min(kMaxTextWidth, std::max(Fl::w() - 200, 200));
    std::vector<std::string> lines = wrapText(message, textWidth);
    int widest = 0;
    for (const std::string& l : lines) widest = std::max(widest, static_cast<int>(fl_width(l.c_str())));
    int textHeight = static_cast<int>(lines.size()) * fl_height();
    std::vector<int> widths;
    int rowWidth = 0;
    for (const std::string& b : buttons) {
        widths.push_back(std::max(88, static_cast<int>(fl_width(b.c_str())) + 28));
        rowWidth += widths.back() + (widths.size() > 1 ? 8 : 0);
    }
    int textX = icon == DialogIcon::Plain ? kPad : kPad + kIconSize + 14;
    int body = std::max(textHeight, icon == DialogIcon::Plain ? 0 : kIconSize);
    int w = std::max({textX + widest + kPad + 8, rowWidth + 2 * kPad, 320});
    int h = kPad + body + 20 + kButtonHeight + 14;

    ChoiceWindow dialog(w, h);
    dialog.copy_label(title.c_str());
    dialog.color(kWindowBackground);
    if (icon != DialogIcon::Plain) new IconBox(kPad, kPad, icon);
    int textY = kPad + std::max(0, (kIconSize - textHeight) / 2) * (icon == DialogIcon::Plain ? 0 : 1);
    new TextLines(textX, textY, w - textX - kPad, textHeight, lines);
    int x = w - kPad - rowWidth;
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        auto* b = new Fl_Button(x, h - 14 - kButtonHeight, widths[i], kButtonHeight);
        b->copy_label(buttons[i].c_str());
        styleButton(b, i == 0);
        b->callback([](Fl_Widget* pressed, void* index) {
            static_cast<ChoiceWindow*>(pressed->window())->finish(static_cast<int>(reinterpret_cast<std::intptr_t>(index)));
        }, reinterpret_cast<void*>(static_cast<std::intptr_t>(i)));
        dialog.buttons.push_back(b);
        x += widths[i] + 8;
    }
    dialog.end();
    // The close box and Escape give -1.
    dialog.callback([](Fl_Widget* window, void*) { static_cast<ChoiceWindow*>(window)->finish(-1); });
    placeOver(dialog, over);
    if (!dialog.buttons.empty()) dialog.buttons.front()->take_focus();
    runModal(dialog);
    return dialog.result;
}

namespace {

constexpr int kMargin = 12;

class EditorWindow : public Fl_Double_Window {
public:
    EditorWindow(int w, int h) : Fl_Double_Window(w, h) {}
    bool confirmed = false;
    int top = kMargin;  // below the prompt
    Fl_Widget* prompt = nullptr;
    Fl_Widget* editor = nullptr;
    Fl_Widget* ok = nullptr;
    Fl_Widget* cancel = nullptr;

    void finish(bool accepted) {
        confirmed = accepted;
        hide();
    }
    int handle(int event) override {
        if (!escapePressed(event)) return Fl_Double_Window::handle(event);
        finish(false);
        return 1;
    }
    // The editor takes the room; the buttons keep their size at the bottom right.
    void resize(int x, int y, int w, int h) override {
        Fl_Double_Window::resize(x, y, w, h);
        if (!editor) return;
        int by = h - kMargin - kButtonHeight;
        prompt->resize(kMargin, kMargin, w - 2 * kMargin, top - kMargin);
        editor->resize(kMargin, top, w - 2 * kMargin, by - kMargin - top);
        ok->resize(w - kMargin - 2 * 88 - 8, by, 88, kButtonHeight);
        cancel->resize(w - kMargin - 88, by, 88, kButtonHeight);
    }
};

int confirmByKey(int, Fl_Text_Editor* editor) {
    static_cast<EditorWindow*>(editor->window())->finish(true);
    return 1;
}

}  // namespace

std::optional<std::string> runTextEditorDialog(const std::string& title, const std::string& prompt,
                                               const std::string& text, Fl_Window* over) {
    constexpr int w = 600, h = 440, margin = kMargin;
    fl_font(kDialogFont, kDialogFontSize);
    std::vector<std::string> lines = wrapText(prompt, w - 2 * margin);
    int promptHeight = prompt.empty() ? 0 : static_cast<int>(lines.size()) * fl_height() + 6;
    EditorWindow dialog(w, h);
    dialog.copy_label(title.c_str());
    dialog.color(kWindowBackground);
    auto* label = new TextLines(margin, margin, w - 2 * margin, promptHeight, lines);
    Fl_Text_Buffer buffer;
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) plain += text[i];
    buffer.text(plain.c_str());
    int top = margin + promptHeight;
    auto* editor = new Fl_Text_Editor(margin, top, w - 2 * margin, h - top - kButtonHeight - 2 * margin);
    editor->buffer(&buffer);
    editor->textfont(FL_COURIER);
    editor->textsize(13);
    editor->box(FL_THIN_DOWN_BOX);
    editor->add_key_binding(FL_Enter, FL_CTRL, confirmByKey);
    editor->add_key_binding(FL_KP_Enter, FL_CTRL, confirmByKey);
    int by = h - margin - kButtonHeight;
    auto* ok = new Fl_Button(w - margin - 2 * 88 - 8, by, 88, kButtonHeight, "OK");
    auto* cancel = new Fl_Button(w - margin - 88, by, 88, kButtonHeight, "Cancel");
    styleButton(ok, true);
    styleButton(cancel, false);
    ok->callback([](Fl_Widget* b, void*) { static_cast<EditorWindow*>(b->window())->finish(true); });
    cancel->callback([](Fl_Widget* b, void*) { static_cast<EditorWindow*>(b->window())->finish(false); });
    dialog.top = top;
    dialog.prompt = label;
    dialog.editor = editor;
    dialog.ok = ok;
    dialog.cancel = cancel;
    dialog.resizable(&dialog);
    dialog.size_range(360, top + 120);
    dialog.end();
    dialog.callback([](Fl_Widget* window, void*) { static_cast<EditorWindow*>(window)->finish(false); });
    placeOver(dialog, over);
    editor->take_focus();
    runModal(dialog);
    if (!dialog.confirmed) return std::nullopt;
    const char* edited = buffer.text();
    std::string out = edited ? edited : "";
    std::free(const_cast<char*>(edited));
    return out;
}

}  // namespace sonkrate::platform::desktop
