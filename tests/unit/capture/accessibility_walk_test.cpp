// The bounded walks of the accessibility reader over hand-built trees.
#include <gtest/gtest.h>

#include "capture/accessibility_walk.h"

namespace {
using Kind = AccessibleElement::Kind;
int visits = 0;

// A node of a hand-built tree; the walk gets copies, which share the children.
struct Node : AccessibleElement {
    Node(Kind kind, const QString& text, std::vector<std::shared_ptr<Node>> children)
        : kind_(kind), text_(text), children_(std::move(children)) {}
    Kind kind_;
    QString text_;
    std::vector<std::shared_ptr<Node>> children_;
    std::optional<QString> address_;
    bool focused_ = false;

    Kind kind() override {
        ++visits;
        return kind_;
    }
    QString text() override { return text_; }
    std::optional<QString> address() override { return address_; }
    bool focused() override { return focused_; }
    std::vector<std::unique_ptr<AccessibleElement>> children(int limit) override {
        std::vector<std::unique_ptr<AccessibleElement>> out;
        for (int i = 0; i < std::min<int>(limit, children_.size()); ++i)
            out.push_back(std::make_unique<Node>(*children_[i]));
        return out;
    }
};
using NodePtr = std::shared_ptr<Node>;

NodePtr node(Kind kind, const QString& text = {}, std::vector<NodePtr> children = {}) {
    return std::make_shared<Node>(kind, text, std::move(children));
}
const auto label = [](const QString& text) { return node(Kind::text, text); };
const auto group = [](std::vector<NodePtr> nodes) { return node(Kind::other, {}, nodes); };
std::unique_ptr<AccessibleElement> tree(const NodePtr& root) {
    visits = 0;
    return std::make_unique<Node>(*root);
}
const AccessibilityWalk::StopCheck never = [] { return false; };

QString sample(const NodePtr& root, int maxChars = 1500, int maxNodes = 700,
               const AccessibilityWalk::StopCheck& stop = never) {
    return AccessibilityWalk::textSample(tree(root), maxChars, maxNodes, stop);
}
}  // namespace

// Password fields are neither read nor entered, but noticed.
TEST(AccessibilityWalk, TextsAreTrimmedTakenOnceNeedTwoCharactersAndSkipPasswordFields) {
    std::vector<NodePtr> cells(10, label("Total"));
    cells.push_back(label("7"));
    cells.push_back(node(Kind::secure, "hunter2", {label("inside the field")}));
    cells.push_back(label("  Budget\n"));
    // Text elements are walked into as well, breadth first.
    cells.push_back(node(Kind::text, "Row", {label("Nested")}));
    bool saw = false;
    EXPECT_EQ(AccessibilityWalk::textSample(tree(group(cells)), 1500, 700, never, &saw),
              "Total\nBudget\nRow\nNested");
    EXPECT_EQ(visits, 16) << "the window, its 14 children and one nested label";
    EXPECT_TRUE(saw);
}

TEST(AccessibilityWalk, PiecesAreCutTo300AndTheSampleToMaxChars) {
    // 300 + 1 counted: the second text is still taken (301 < 302), the third is not reached.
    EXPECT_EQ(sample(group({label(QString(400, 'x')), label("after"), label("never")}), 302),
              QString(300, 'x') + "\na");
}

TEST(AccessibilityWalk, TheNodeBudgetOrTheStopCheckEndsTheWalkWithWhatWasGathered) {
    std::vector<NodePtr> many;
    for (int i = 0; i < 2000; ++i) many.push_back(label(QStringLiteral("item %1").arg(i)));
    EXPECT_EQ(sample(group(many), 100000, 700).count('\n'), 698) << "699 labels after the root";
    EXPECT_EQ(visits, 700) << "children beyond the budget are not fetched";

    int checks = 0;
    EXPECT_EQ(sample(group(many), 1500, 700, [&] { return ++checks > 2; }), "item 0");
}

TEST(AccessibilityWalk, TheFirstWebAreaWithAnAddressAndAFocusedPasswordFieldAreFound) {
    auto page = node(Kind::webArea);
    page->address_ = "https://example.com/a";
    auto secure = node(Kind::secure);
    auto root = group({group({node(Kind::webArea)}), group({page, secure})});
    const std::pair<int, bool> budgets[] = {{250, true}, {4, false}, {-1, false}};
    for (const auto& [maxNodes, found] : budgets) {
        EXPECT_EQ(AccessibilityWalk::webAreaAddress(tree(root), maxNodes, never),
                  found ? page->address_ : std::nullopt)
            << maxNodes;
    }
    EXPECT_FALSE(AccessibilityWalk::passwordFieldFocused(tree(root), 100, never));
    secure->focused_ = true;
    EXPECT_TRUE(AccessibilityWalk::passwordFieldFocused(tree(root), 100, never));
    EXPECT_FALSE(AccessibilityWalk::passwordFieldFocused(tree(root), 5, never)) << "past budget";
}

TEST(AccessibilityWalk, OnlyFileDocumentsAreDocumentPaths) {
    const std::pair<QString, bool> cases[] = {
        {"file:///home/ana/Plan.odt", true},
        {"/home/ana/notes.txt", true},
        {"FILE:///tmp/a", true},
        {"https://app.example.com/channel/42", false},
        {"app://-/index.html", false},
        {"about:blank", false},
        {"", false},
    };
    for (const auto& [address, kept] : cases)
        EXPECT_EQ(AccessibilityWalk::fileDocument(address).has_value(), kept)
            << address.toStdString();
}
