// The window registry: one window per key, made on first show and kept until the process ends.
// Showing a key again brings the same window (same view, size and position) to the front;
// closing only hides it. Main thread only.
#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>
#include <functional>

class QWidget;

namespace tarnwhistle {

class Windows : public QObject {
    Q_OBJECT
  public:
    using Builder = std::function<QWidget*()>;
    struct Definition {
        QString title;
        QSize size;
        Builder build;
    };

    // The keys the application opens.
    static const QString welcome;   // "Welcome to Tarnwhistle", 640 × 700
    static const QString settings;  // "Tarnwhistle", 900 × 660
    static const QString activity;  // "Tarnwhistle — Activity Log", 960 × 640

    static Windows& shared();
    explicit Windows(QObject* parent = nullptr) : QObject(parent) {}
    ~Windows() override;

    // How open(key) makes the window for `key`; set by the composition root.
    void define(const QString& key, Definition definition);
    bool isDefined(const QString& key) const { return definitions_.contains(key); }
    // Shows the window for a defined key; false when the key has no definition.
    bool open(const QString& key);

    // Shows the window for `key`, making it with `title`, content `size` and the view `build`
    // returns when there is none yet. An existing window keeps its title, size and content.
    QWidget* show(const QString& key, const QString& title, const QSize& size,
                  const Builder& build);
    // Hides the window for `key`, if any; it stays registered and reopens as it was.
    void close(const QString& key);

    QWidget* window(const QString& key) const;
    bool isVisible(const QString& key) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void bringForward(QWidget* window);

    QHash<QString, Definition> definitions_;
    QHash<QString, QPointer<QWidget>> windows_;
    QHash<QWidget*, QByteArray> geometry_;  // last geometry of each hidden window
};

}  // namespace tarnwhistle
