#include "xdnd_source.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <functional>
#include <thread>

namespace desktop_test {

namespace {

struct Atoms {
    Atom aware, selection, enter, position, status, drop, finished, copy, uriList;
    explicit Atoms(Display* d)
        : aware(XInternAtom(d, "XdndAware", False)),
          selection(XInternAtom(d, "XdndSelection", False)),
          enter(XInternAtom(d, "XdndEnter", False)),
          position(XInternAtom(d, "XdndPosition", False)),
          status(XInternAtom(d, "XdndStatus", False)),
          drop(XInternAtom(d, "XdndDrop", False)),
          finished(XInternAtom(d, "XdndFinished", False)),
          copy(XInternAtom(d, "XdndActionCopy", False)),
          uriList(XInternAtom(d, "text/uri-list", False)) {}
};

void sendMessage(Display* d, Window target, Atom type, long l0, long l1, long l2, long l3, long l4) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.display = d;
    e.xclient.window = target;
    e.xclient.message_type = type;
    e.xclient.format = 32;
    long data[5] = {l0, l1, l2, l3, l4};
    for (int i = 0; i < 5; ++i) e.xclient.data.l[i] = data[i];
    XSendEvent(d, target, False, NoEventMask, &e);
    XFlush(d);
}

// Hands the list to a window that asks for the selection.
void answerRequest(Display* d, const XSelectionRequestEvent& r, const std::string& text, const Atoms& a) {
    XEvent reply{};
    reply.xselection.type = SelectionNotify;
    reply.xselection.display = d;
    reply.xselection.requestor = r.requestor;
    reply.xselection.selection = r.selection;
    reply.xselection.target = r.target;
    reply.xselection.time = r.time;
    reply.xselection.property = None;
    if (r.target == a.uriList || r.target == XA_STRING) {
        Atom property = r.property == None ? r.target : r.property;
        XChangeProperty(d, r.requestor, property, r.target, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
        reply.xselection.property = property;
    }
    XSendEvent(d, r.requestor, False, NoEventMask, &reply);
    XFlush(d);
}

// Handles events for up to timeoutMs until done says the exchange is over.
bool pump(Display* d, int timeoutMs, const std::function<bool(const XEvent&)>& done) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        while (XPending(d) > 0) {
            XEvent e;
            XNextEvent(d, &e);
            if (done(e)) return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

}  // namespace

bool dropUris(const std::string& display, unsigned long window, int x, int y, const std::string& uriList,
              std::string& why) {
    Display* d = XOpenDisplay(display.c_str());
    if (!d) {
        why = "cannot open the display " + display;
        return false;
    }
    Atoms a(d);
    Window target = static_cast<Window>(window);
    Window source = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(d, a.selection, source, CurrentTime);
    int rootX = 0, rootY = 0;
    Window child = 0;
    XTranslateCoordinates(d, target, DefaultRootWindow(d), x, y, &rootX, &rootY, &child);

    bool ok = false;
    sendMessage(d, target, a.enter, static_cast<long>(source), 5L << 24, static_cast<long>(a.uriList), 0, 0);
    sendMessage(d, target, a.position, static_cast<long>(source), 0, (rootX << 16) | rootY, CurrentTime,
                static_cast<long>(a.copy));
    bool accepted = false;
    if (!pump(d, 5000, [&](const XEvent& e) {
            if (e.type != ClientMessage || e.xclient.message_type != a.status) return false;
            accepted = (e.xclient.data.l[1] & 1) != 0;
            return true;
        })) {
        why = "the window sent no XdndStatus within 5 s";
    } else if (!accepted) {
        why = "the window refused the drop";
    } else {
        sendMessage(d, target, a.drop, static_cast<long>(source), 0, CurrentTime, 0, 0);
        ok = pump(d, 10000, [&](const XEvent& e) {
            if (e.type == SelectionRequest) answerRequest(d, e.xselectionrequest, uriList, a);
            return e.type == ClientMessage && e.xclient.message_type == a.finished;
        });
        if (!ok) why = "the window did not finish the drop within 10 s";
    }
    XDestroyWindow(d, source);
    XCloseDisplay(d);
    return ok;
}

}  // namespace desktop_test
