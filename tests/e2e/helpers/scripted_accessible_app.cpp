// An application that offers a small, fixed accessibility tree on the accessibility bus and
// misbehaves on purpose, for the reader's end-to-end tests:
//   e2e_scripted_accessible_app slow      one panel answers "GetChildren" 3 s late; the rest
//                                         answers at once
//   e2e_scripted_accessible_app quit N    ends the process abruptly on the N-th question (a
//                                         text sample asks 23, a snapshot 15)
//   e2e_scripted_accessible_app sandboxed URL  the second panel is a web document at URL, as in
//                                         an application that embeds a browser engine; a line
//                                         "url NEW" on standard input moves the document to NEW.
//                                         Its X window, titled "Scripted window", is drawn by a
//                                         child process that names this one as its owner, as a
//                                         sandboxed application reaches the display and the
//                                         accessibility bus as two different processes
// It prints "ready" once the registry lists it. It speaks only the few accessibility methods the
// reader uses.
#include <sys/prctl.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <cstdio>

namespace {
using Ref = std::pair<QString, QDBusObjectPath>;  // (so), marshalled as a structure
const QString base = "/org/a11y/atspi/accessible/";

struct Node {
    uint role;
    QString name;
    QString text;
    QList<int> children;
    bool slowChildren = false;
};

// 0 application, 1 active frame, 2 slow panel, 3 panel, 4..6 labels.
const QList<Node> tree{
    {75, "scripted", {}, {1}},
    {23, "Scripted window", {}, {2, 3}},
    {39, {}, {}, {4}, true},
    {39, {}, {}, {5, 6}},
    {29, {}, "Behind the slow call", {}},
    {29, {}, "First answer", {}},
    {29, {}, "Second answer", {}},
};

class ScriptedTree : public QDBusVirtualObject {
  public:
    ScriptedTree(bool slow, int quitAt, const QString& webAddress)
        : webAddress(webAddress), slow_(slow), quitAt_(quitAt) {}

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        // The registry's own property writes at start are not questions of a reader.
        if (message.member() != "Set" && quitAt_ > 0 && ++questions_ >= quitAt_) ::_exit(0);
        const QString id = message.path().mid(base.size());
        const int index = id == "root" ? 0 : id.toInt();
        if (index < 0 || index >= tree.size()) return false;
        const Node& node = tree[index];
        const QString member = message.member();
        QDBusMessage reply;
        if (member == "GetChildren") {
            QList<Ref> refs;
            for (int child : node.children)
                refs << Ref{connection.baseService(),
                            QDBusObjectPath(base + QString::number(child))};
            reply = message.createReply(QVariant::fromValue(refs));
            if (slow_ && node.slowChildren) {
                QTimer::singleShot(
                    3000, [connection, reply] { QDBusConnection(connection).send(reply); });
                return true;
            }
        } else if (member == "GetRole") {
            const bool web = index == 3 && !webAddress.isEmpty();
            reply = message.createReply(web ? 95u : node.role);
        } else if (member == "GetAttributeValue") {
            const bool url = index == 3 && message.arguments().value(0) == "DocURL";
            reply = message.createReply(url ? webAddress : QString());
        } else if (member == "GetState") {
            const QList<uint> states{index == 1 ? (1u << 1) | (1u << 25) : 0u, 0u};
            reply = message.createReply(QVariant::fromValue(states));
        } else if (member == "GetInterfaces") {
            QStringList interfaces{"org.a11y.atspi.Accessible"};
            if (!node.text.isEmpty()) interfaces << "org.a11y.atspi.Text";
            reply = message.createReply(interfaces);
        } else if (member == "GetText") {
            reply = message.createReply(node.text);
        } else if (member == "Get") {
            const QVariantMap properties{{"Name", node.name},
                                         {"Description", QString()},
                                         {"CharacterCount", int(node.text.size())},
                                         {"ChildCount", int(node.children.size())}};
            const QVariant value = properties.value(message.arguments().value(1).toString());
            if (!value.isValid()) return false;
            reply = message.createReply(QVariant::fromValue(QDBusVariant(value)));
        } else {
            return false;
        }
        QDBusConnection(connection).send(reply);
        return true;
    }

    QString webAddress;

  private:
    bool slow_;
    int quitAt_;
    int questions_ = 0;
};
// A plain top-level window that names process `owner`, as a toolkit's would.
bool showWindow(pid_t owner) {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) return false;
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t w = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, 0, 0, 400, 300, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL,
                      &screen->white_pixel);
    const QByteArray title("Scripted window"), pidName("_NET_WM_PID");
    const char wmClass[] = "scripted\0Scripted";
    xcb_intern_atom_reply_t* pidAtom = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, uint16_t(pidName.size()), pidName.constData()), nullptr);
    if (!pidAtom) return false;
    const uint32_t pid = uint32_t(owner);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, pidAtom->atom, XCB_ATOM_CARDINAL, 32, 1, &pid);
    free(pidAtom);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        uint32_t(title.size()), title.constData());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        sizeof wmClass, wmClass);
    xcb_map_window(c, w);
    xcb_flush(c);
    return true;  // the connection lasts as long as the process
}
}  // namespace

int main(int argc, char** argv) {
    // Forked before any thread starts: the child only draws the window, and ends with us.
    const bool sandboxed = argc > 2 && qstrcmp(argv[1], "sandboxed") == 0;
    if (sandboxed) {
        const pid_t owner = getpid();
        if (fork() == 0) {
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (getppid() != owner || !showWindow(owner)) _exit(2);
            for (;;) pause();
        }
    }
    QCoreApplication app(argc, argv);
    qDBusRegisterMetaType<Ref>();
    qDBusRegisterMetaType<QList<Ref>>();
    qDBusRegisterMetaType<QList<uint>>();
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const int quitAt = mode == "quit" && argc > 2 ? atoi(argv[2]) : 0;

    const QDBusMessage address = QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
        "org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress"));
    if (address.arguments().isEmpty()) return 2;
    QDBusConnection bus =
        QDBusConnection::connectToBus(address.arguments().first().toString(), "a11y");
    if (!bus.isConnected()) return 2;
    const QString webAddress = sandboxed ? QString::fromLocal8Bit(argv[2]) : QString();
    ScriptedTree tree(mode == "slow", quitAt, webAddress);
    bus.registerVirtualObject("/org/a11y/atspi/accessible", &tree, QDBusConnection::SubPath);

    // Tell the registry about the application's root, as toolkits do at start.
    QDBusMessage embed =
        QDBusMessage::createMethodCall("org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root",
                                       "org.a11y.atspi.Socket", "Embed");
    embed << QVariant::fromValue(Ref{bus.baseService(), QDBusObjectPath(base + "root")});
    const QDBusMessage embedded = bus.call(embed, QDBus::Block, 5000);
    if (embedded.type() != QDBusMessage::ReplyMessage) return 2;
    std::printf("ready\n");
    std::fflush(stdout);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char line[1024];
        const ssize_t n = read(STDIN_FILENO, line, sizeof line - 1);
        if (n <= 0) return input.setEnabled(false);
        for (const QString& command : QString::fromUtf8(line, int(n)).split('\n'))
            if (command.startsWith("url ")) tree.webAddress = command.mid(4);
    });
    return app.exec();
}
