// The bounded walks of the accessibility reader over hand-built trees.
#include <gtest/gtest.h>

#include "capture/accessibility_walk.h"

namespace {
struct Node {
    AccessibleElement::Kind kind = AccessibleElement::Kind::other;
    QString text;
    std::optional<QString> address;
    bool focused = false;
    std::vector<std::shared_ptr<Node>> children;
};
using NodePtr = std::shared_ptr<Node>;

int visits = 0;

class TreeElement : public AccessibleElement {
public:
    explicit TreeElement(NodePtr node) : node_(std::move(node)) {}
    Kind kind() override {
        ++visits;
        return node_->kind;
    }
    QString text() override { return node_->text; }
    std::optional<QString> address() override { return node_->address; }
    bool focused() override { return node_->focused; }
    std::vector<std::unique_ptr<AccessibleElement>> children(int limit) override {
        std::vector<std::unique_ptr<AccessibleElement>> out;
        for (const auto& child : node_->children) {
            if (int(out.size()) >= limit) break;
            out.push_back(std::make_unique<TreeElement>(child));
        }
        return out;
    }

private:
    NodePtr node_;
};

NodePtr node(AccessibleElement::Kind kind, const QString& text = {},
             std::vector<NodePtr> children = {}) {
    auto n = std::make_shared<Node>();
    n->kind = kind;
    n->text = text;
    n->children = std::move(children);
    return n;
}
NodePtr label(const QString& text) { return node(AccessibleElement::Kind::text, text); }
NodePtr group(std::vector<NodePtr> children) {
    return node(AccessibleElement::Kind::other, {}, std::move(children));
}

QString sample(const NodePtr& root, int maxChars = 1500, int maxNodes = 700,
               std::function<bool()> stop = [] { return false; }) {
    visits = 0;
    return AccessibilityWalk::textSample(std::make_unique<TreeElement>(root), maxChars, maxNodes,
                                         std::move(stop));
}
}  // namespace

TEST(AccessibilityWalk, PasswordFieldsAreNeitherReadNorEntered) {
    auto secure = node(AccessibleElement::Kind::secure, QStringLiteral("hunter2"),
                       {label(QStringLiteral("inside the field"))});
    EXPECT_EQ(sample(group({secure})), QString());
    EXPECT_EQ(visits, 2);  // the window and the field, nothing inside it
}

TEST(AccessibilityWalk, TextsAreTrimmedTakenOnceAndNeedTwoCharacters) {
    std::vector<NodePtr> cells;
    for (int i = 0; i < 10; ++i) cells.push_back(label(QStringLiteral("Total")));
    cells.push_back(label(QStringLiteral("7")));
    cells.push_back(label(QStringLiteral("  Budget\n")));
    // Text elements are walked into as well, breadth first.
    cells.push_back(node(AccessibleElement::Kind::text, QStringLiteral("Row"),
                         {label(QStringLiteral("Nested"))}));
    EXPECT_EQ(sample(group(cells)), QStringLiteral("Total\nBudget\nRow\nNested"));
}

TEST(AccessibilityWalk, PiecesAreCutTo300AndTheSampleToMaxChars) {
    const QString long400(400, QLatin1Char('x'));
    // 300 + 1 counted: the second text is still taken (301 < 302), the third is not reached.
    const QString result = sample(group({label(long400), label(QStringLiteral("after")),
                                         label(QStringLiteral("never"))}),
                                  302);
    EXPECT_EQ(result, QString(300, QLatin1Char('x')) + QStringLiteral("\na"));
}

TEST(AccessibilityWalk, TheNodeBudgetOrTheStopCheckEndsTheWalkWithWhatWasGathered) {
    std::vector<NodePtr> many;
    for (int i = 0; i < 2000; ++i) many.push_back(label(QStringLiteral("item %1").arg(i)));
    const QString result = sample(group(many), 100000, 700);
    EXPECT_EQ(result.count(QLatin1Char('\n')), 698);  // 699 labels after the root
    EXPECT_EQ(visits, 700);  // children beyond the budget are not fetched

    int checks = 0;
    EXPECT_EQ(sample(group(many), 1500, 700, [&] { return ++checks > 2; }),
              QStringLiteral("item 0"));
}

TEST(AccessibilityWalk, TheFirstWebAreaWithAnAddressGivesIt) {
    auto silent = node(AccessibleElement::Kind::webArea);
    auto page = node(AccessibleElement::Kind::webArea);
    page->address = QStringLiteral("https://example.com/a");
    auto root = group({group({silent}), group({page})});
    auto stop = [] { return false; };
    EXPECT_EQ(AccessibilityWalk::webAreaAddress(std::make_unique<TreeElement>(root), 250, stop),
              QStringLiteral("https://example.com/a"));
    EXPECT_EQ(AccessibilityWalk::webAreaAddress(std::make_unique<TreeElement>(root), 4, stop),
              std::nullopt);
    EXPECT_EQ(AccessibilityWalk::webAreaAddress(std::make_unique<TreeElement>(root), -1, stop),
              std::nullopt);
}

TEST(AccessibilityWalk, AFocusedPasswordFieldIsFoundAndAnUnfocusedOneIsNot) {
    auto secure = node(AccessibleElement::Kind::secure);
    auto root = group({label(QStringLiteral("Sign in")), group({secure})});
    auto focused = [&](int maxNodes) {
        return AccessibilityWalk::passwordFieldFocused(std::make_unique<TreeElement>(root),
                                                       maxNodes, [] { return false; });
    };
    EXPECT_FALSE(focused(100));
    secure->focused = true;
    EXPECT_TRUE(focused(100));
    EXPECT_FALSE(focused(3));  // beyond the budget

    bool saw = false;
    AccessibilityWalk::textSample(std::make_unique<TreeElement>(root), 1500, 700,
                                  [] { return false; }, &saw);
    EXPECT_TRUE(saw);
}

TEST(AccessibilityWalk, OnlyFileDocumentsAreDocumentPaths) {
    const std::vector<std::pair<QString, bool>> cases{
        {QStringLiteral("file:///home/ana/Plan.odt"), true},
        {QStringLiteral("/home/ana/notes.txt"), true},
        {QStringLiteral("FILE:///tmp/a"), true},
        {QStringLiteral("https://app.example.com/channel/42"), false},
        {QStringLiteral("app://-/index.html"), false},
        {QStringLiteral("about:blank"), false},
        {QString(), false},
    };
    for (const auto& [address, kept] : cases)
        EXPECT_EQ(AccessibilityWalk::fileDocument(address).has_value(), kept)
            << address.toStdString();
}
