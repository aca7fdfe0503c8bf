#include "gui/qt/qt_ui.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QScreen>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QColor>
#include <QComboBox>
#include <QCursor>
#include <QGroupBox>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTableView>
#include <QToolBar>
#include <QTimer>
#include <QTreeWidget>
#include <map>

#include "gui/qt/grid_model.h"
#include "platform/ui/bars.h"
#include "platform/ui/head_items.h"
#include "platform/ui/lists.h"

namespace korvane::qt {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }
QRect px(const ui::Control& c) { return QRect(c.Left() / 15, c.Top() / 15, c.Width() / 15, c.Height() / 15); }

int vb_shift(Qt::KeyboardModifiers m) {
    return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) | (m & Qt::AltModifier ? 4 : 0);
}

// VB key codes of the keys the forms react to.
int vb_key(int qt_key) {
    if (qt_key >= Qt::Key_F1 && qt_key <= Qt::Key_F12) return 112 + (qt_key - Qt::Key_F1);
    if ((qt_key >= Qt::Key_A && qt_key <= Qt::Key_Z) || (qt_key >= Qt::Key_0 && qt_key <= Qt::Key_9)) return qt_key;
    switch (qt_key) {
    case Qt::Key_Escape: return 27;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Tab: return 9;
    case Qt::Key_Delete: return 46;
    case Qt::Key_Home: return 36;
    case Qt::Key_End: return 35;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    default: return 0;
    }
}

// A column width no model ever gives: the view's width is not the model's yet.
constexpr int kNotApplied = -2;

int vb_button(Qt::MouseButton b) { return b == Qt::RightButton ? 2 : b == Qt::MiddleButton ? 4 : 1; }

// The lines between a grid's cells in the grid's colour (VB's BGR order),
// or the style's own when the grid names none.
void apply_grid_color(QTableView* view, std::uint32_t bgr) {
    if (bgr == ui::kViewGridColor) {
        view->setStyleSheet({});
        return;
    }
    view->setStyleSheet(QStringLiteral("QTableView { gridline-color: %1; }")
                            .arg(QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF).name()));
}

QIcon picture(int resource) {
    QStyle* s = QApplication::style();
    if (resource == 1108) return s->standardIcon(QStyle::SP_FileDialogDetailedView);
    if (resource == 219) return s->standardIcon(QStyle::SP_FileDialogContentsView);
    return {};
}

// A button with a picture shows the picture alone, as a graphical button
// does; its caption becomes the tooltip, so the small reference button in a
// filter field is not crowded by its text.
void show_button(QPushButton& w, const ui::CommandButton& b) {
    if (b.Picture() == 0) {
        w.setIcon({});
        w.setText(q(b.Caption()));
        return;
    }
    // Where the style has no icon for the picture, an ellipsis stands in.
    QIcon icon = picture(b.Picture());
    w.setIcon(icon);
    w.setText(icon.isNull() ? QStringLiteral("…") : QString());
    w.setToolTip(q(b.Caption()));
}

QIcon image_icon(const std::string& key) {
    QStyle* s = QApplication::style();
    if (key == "tlbok") return s->standardIcon(QStyle::SP_DialogOkButton);
    if (key == "tlbexit") return s->standardIcon(QStyle::SP_DialogCloseButton);
    if (key == "tlbhelp") return s->standardIcon(QStyle::SP_DialogHelpButton);
    if (key == "tlbauto") return s->standardIcon(QStyle::SP_BrowserReload);
    if (key == "folder") return s->standardIcon(QStyle::SP_DirClosedIcon);
    if (key == "open") return s->standardIcon(QStyle::SP_DirOpenIcon);
    if (key == "li") return s->standardIcon(QStyle::SP_FileIcon);
    return {};
}

// A combo box whose model hears DropDown before the list shows, so the
// items its handler adds are the ones the user sees.
class DropDownCombo : public QComboBox {
public:
    DropDownCombo(ui::ComboBox& model, QWidget* parent) : QComboBox(parent), model_(model) {}
    void showPopup() override {
        model_.drop_down();
        QComboBox::showPopup();
    }

private:
    ui::ComboBox& model_;
};

}  // namespace

struct FormView::Impl {
    FormView* self;
    std::map<std::string, QWidget*> widgets;
    std::map<ui::Control*, QWidget*> by_control;
    ui::TabStrip* tabs = nullptr;
    bool syncing = false;

    void sync_visible(ui::Control& c) {
        QWidget* w = by_control[&c];
        if (!w) return;
        bool shown = c.Visible();
        if (tabs && &c != tabs) {
            long t = tabs->tab_of(c);
            shown = shown && (t < 0 || t == tabs->Tab());
        }
        w->setVisible(shown);
        w->setEnabled(c.Enabled());
        w->setToolTip(q(c.ToolTipText()));
    }

    void sync_all_visible() {
        for (auto& [c, w] : by_control) sync_visible(*c);
    }

    void add_grid(ui::Grid& g) {
        auto* view = new QTableView(self);
        auto* model = new GridModel(g, view);
        view->setModel(model);
        view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        view->verticalHeader()->setDefaultSectionSize(22);
        view->verticalHeader()->hide();
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        view->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                              QAbstractItemView::AnyKeyPressed);
        view->horizontalHeader()->setHighlightSections(false);
        apply_grid_color(view, g.GridColor());
        // The widths the model gave each column last: a view width is set
        // only when the model's changes, so a column the user widened keeps
        // its width, and one hidden by a width of 0 comes back as it was.
        auto applied = std::make_shared<std::vector<int>>();
        auto relayout = [&g, view, model, applied] {
            applied->resize(static_cast<std::size_t>(g.Cols()), kNotApplied);
            for (long c = 0; c < g.Cols(); ++c) {
                const int width = g.ColWidth(c);
                const bool hidden = g.ColHidden(c) || width == 0;
                view->setColumnHidden(static_cast<int>(c), hidden);
                int& last = (*applied)[static_cast<std::size_t>(c)];
                if (hidden || width == last) continue;
                last = width;
                view->setColumnWidth(static_cast<int>(c), width > 0 ? width / 15 : view->horizontalHeader()->defaultSectionSize());
            }
            for (long r = model->grid_row(0); r < g.Rows(); ++r) view->setRowHidden(model->model_row(r), g.RowHidden(r));
        };
        relayout();
        QObject::connect(model, &GridModel::grid_layout_changed, view, relayout);
        // A reset gives every section its default size and shows it again.
        QObject::connect(model, &QAbstractItemModel::modelReset, view, [g = &g, applied, relayout] {
            applied->assign(static_cast<std::size_t>(g->Cols()), kNotApplied);
            relayout();
        });
        QObject::connect(model, &QAbstractItemModel::columnsInserted, view, [applied](const QModelIndex&, int first, int last) {
            const auto at = std::min(static_cast<std::size_t>(first), applied->size());
            applied->insert(applied->begin() + static_cast<std::ptrdiff_t>(at), static_cast<std::size_t>(last - first + 1), -1);
        });
        QObject::connect(model, &QAbstractItemModel::columnsRemoved, view, [applied](const QModelIndex&, int first, int last) {
            const auto from = std::min(static_cast<std::size_t>(first), applied->size());
            const auto to = std::min(static_cast<std::size_t>(last) + 1, applied->size());
            applied->erase(applied->begin() + static_cast<std::ptrdiff_t>(from), applied->begin() + static_cast<std::ptrdiff_t>(to));
        });
        // While rows or columns come and go the view moves its current cell
        // by itself: that is no user's move, the grid must not hear it.
        QObject::connect(view->selectionModel(), &QItemSelectionModel::currentChanged,
                         [&g, model, this](const QModelIndex& cur, const QModelIndex&) {
                             if (!syncing && !model->reshaping() && cur.isValid())
                                 g.select(model->grid_row(cur.row()), cur.column());
                         });
        struct Filter : QObject {
            ui::Grid& g;
            QTableView* view;
            GridModel* model;
            Filter(ui::Grid& grid, QTableView* v, GridModel* m) : QObject(v), g(grid), view(v), model(m) {}
            bool eventFilter(QObject*, QEvent* e) override {
                if (e->type() == QEvent::MouseButtonRelease || e->type() == QEvent::MouseButtonDblClick) {
                    auto* me = static_cast<QMouseEvent*>(e);
                    QModelIndex i = view->indexAt(me->position().toPoint());
                    if (!i.isValid()) return false;
                    long r = model->grid_row(i.row());
                    if (e->type() == QEvent::MouseButtonDblClick) {
                        g.dbl_click(r, i.column());
                        return false;
                    }
                    if (me->button() == Qt::LeftButton) {
                        if (g.ColButton(i.column()) && me->position().x() > view->visualRect(i).right() - 18)
                            g.cell_button_click(r, i.column());
                        else
                            g.click(r, i.column());
                    }
                    g.mouse_up(vb_button(me->button()), vb_shift(me->modifiers()), r, i.column());
                } else if (e->type() == QEvent::KeyPress) {
                    auto* ke = static_cast<QKeyEvent*>(e);
                    if (int k = vb_key(ke->key())) g.key_down(k, vb_shift(ke->modifiers()));
                }
                return false;
            }
        };
        auto* f = new Filter(g, view, model);
        view->viewport()->installEventFilter(f);
        view->installEventFilter(f);
        place(g, view);
    }

    void add_list_view(ui::ListView& lv) {
        auto* w = new QTreeWidget(self);
        w->setRootIsDecorated(false);
        w->setAlternatingRowColors(true);
        auto rebuild_now = [&lv, w, this] {
            syncing = true;
            w->clear();
            QStringList headers;
            for (const auto& c : lv.columns()) headers << q(c.text);
            w->setColumnCount(std::max<int>(1, headers.size()));
            w->setHeaderLabels(headers);
            for (int i = 0; i < static_cast<int>(lv.columns().size()); ++i) {
                w->setColumnWidth(i, lv.columns()[i].width / 15);
                w->setColumnHidden(i, lv.columns()[i].width == 0);
            }
            const auto& cols = lv.columns();
            for (const auto& it : lv.items()) {
                auto* item = new QTreeWidgetItem(w);
                item->setText(0, q(it.text));
                for (std::size_t s = 0; s < it.sub_items.size(); ++s) {
                    item->setText(static_cast<int>(s + 1), q(it.sub_items[s]));
                    // numbers line up on the right, as the list's headers say
                    if (s + 1 < cols.size() && cols[s + 1].align == ui::Alignment::Right)
                        item->setTextAlignment(static_cast<int>(s + 1), Qt::AlignRight | Qt::AlignVCenter);
                }
                if (lv.Checkboxes()) item->setCheckState(0, it.checked ? Qt::Checked : Qt::Unchecked);
            }
            syncing = false;
        };
        // A handler run from one of the list's own signals may change the
        // items: the rebuild then waits until that signal is over.
        auto in_signal = std::make_shared<bool>(false);
        // A list hidden while it fills is rebuilt once, when it shows again.
        auto dirty = std::make_shared<bool>(false);
        auto rebuild = [&lv, w, rebuild_now, in_signal, dirty] {
            if (!lv.Visible()) *dirty = true;
            else if (*in_signal) QTimer::singleShot(0, w, rebuild_now);
            else rebuild_now();
        };
        rebuild();
        lv.on_item_changed = [&lv, w, this](long index) {
            syncing = true;
            if (auto* item = w->topLevelItem(static_cast<int>(index - 1))) {
                const auto& it = lv.item(index);
                item->setText(0, q(it.text));
                for (std::size_t s = 0; s < it.sub_items.size(); ++s) item->setText(static_cast<int>(s + 1), q(it.sub_items[s]));
                if (lv.Checkboxes()) item->setCheckState(0, it.checked ? Qt::Checked : Qt::Unchecked);
            }
            syncing = false;
        };
        QObject::connect(w, &QTreeWidget::itemChanged, [&lv, w, this, in_signal](QTreeWidgetItem* item, int) {
            if (syncing) return;
            long index = w->indexOfTopLevelItem(item) + 1;
            *in_signal = true;
            lv.check_item(index, item->checkState(0) == Qt::Checked);
            *in_signal = false;
        });
        // A right click is the list's MouseUp with button 2 (its pop-up menu).
        w->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(w, &QWidget::customContextMenuRequested, [&lv](const QPoint&) {
            lv.mouse_up(2, vb_shift(QGuiApplication::keyboardModifiers()));
        });
        QObject::connect(w, &QTreeWidget::itemClicked, [&lv, w, in_signal](QTreeWidgetItem* item, int) {
            *in_signal = true;
            lv.click_item(w->indexOfTopLevelItem(item) + 1);
            *in_signal = false;
        });
        place(lv, w);
        // A layout renames and hides columns in place and shows the list
        // again when it is done: the headers follow when it reappears.
        auto sync_headers = [&lv, w] {
            const auto& cols = lv.columns();
            if (static_cast<int>(cols.size()) != w->columnCount()) return;
            for (int i = 0; i < static_cast<int>(cols.size()); ++i) {
                w->headerItem()->setText(i, q(cols[static_cast<std::size_t>(i)].text));
                w->setColumnWidth(i, cols[static_cast<std::size_t>(i)].width / 15);
                w->setColumnHidden(i, cols[static_cast<std::size_t>(i)].width == 0);
            }
        };
        lv.on_changed = [this, rebuild, sync_headers, dirty](ui::Control& c, std::string_view p) {
            if (p == "Items" || p == "Columns" || p == "Checkboxes") rebuild();
            else {
                if (p == "Visible" && c.Visible()) {
                    if (*dirty) {
                        *dirty = false;
                        rebuild();
                    } else {
                        sync_headers();
                    }
                }
                changed(c, p);
            }
        };
    }

    void add_tree(ui::TreeView& tv) {
        auto* w = new QTreeWidget(self);
        w->setHeaderHidden(true);
        // Brought in step item by item, never cleared: the item whose signal
        // led here must outlive the handler.
        auto rebuild = [&tv, w, this] {
            syncing = true;
            std::function<void(const std::vector<std::string>&, QTreeWidgetItem*)> sync =
                [&](const std::vector<std::string>& keys, QTreeWidgetItem* up) {
                    std::map<QString, QTreeWidgetItem*> existing;
                    int count = up ? up->childCount() : w->topLevelItemCount();
                    for (int i = 0; i < count; ++i) {
                        QTreeWidgetItem* it = up ? up->child(i) : w->topLevelItem(i);
                        existing[it->data(0, Qt::UserRole).toString()] = it;
                    }
                    for (const auto& key : keys) {
                        const auto& n = tv.node(key);
                        QTreeWidgetItem*& item = existing[q(n.key)];
                        if (!item) {
                            item = up ? new QTreeWidgetItem(up) : new QTreeWidgetItem(w);
                            item->setData(0, Qt::UserRole, q(n.key));
                        }
                        item->setText(0, q(n.text));
                        item->setIcon(0, image_icon(n.expanded && !n.expanded_image.empty() ? n.expanded_image : n.image));
                        if (tv.Checkboxes()) item->setCheckState(0, n.checked ? Qt::Checked : Qt::Unchecked);
                        item->setChildIndicatorPolicy(n.children.empty() && n.expanded
                                                          ? QTreeWidgetItem::DontShowIndicatorWhenChildless
                                                          : QTreeWidgetItem::ShowIndicator);
                        sync(n.children, item);
                        item->setExpanded(n.expanded);
                    }
                    for (auto& [k, it] : existing)
                        if (it && !tv.has_node(k.toStdString())) delete it;
                };
            sync(tv.roots(), nullptr);
            syncing = false;
        };
        rebuild();
        tv.on_node_changed = [rebuild](const std::string&) { rebuild(); };
        auto key_of = [](QTreeWidgetItem* i) { return i->data(0, Qt::UserRole).toString().toStdString(); };
        QObject::connect(w, &QTreeWidget::itemExpanded, [&tv, key_of, this](QTreeWidgetItem* i) {
            if (!syncing) tv.expand(key_of(i));
        });
        QObject::connect(w, &QTreeWidget::itemCollapsed, [&tv, key_of, this](QTreeWidgetItem* i) {
            if (!syncing) tv.collapse(key_of(i));
        });
        QObject::connect(w, &QTreeWidget::itemChanged, [&tv, key_of, this](QTreeWidgetItem* i, int) {
            if (!syncing) tv.check_node(key_of(i), i->checkState(0) == Qt::Checked);
        });
        QObject::connect(w, &QTreeWidget::itemClicked, [&tv, key_of](QTreeWidgetItem* i, int) { tv.click_node(key_of(i)); });
        place(tv, w);
        tv.on_changed = [this, rebuild](ui::Control& c, std::string_view p) {
            if (p == "Nodes" || p == "Checkboxes") rebuild();
            else changed(c, p);
        };
    }

    void add_toolbar(ui::Toolbar& tb) {
        auto* w = new QToolBar(self);
        auto rebuild = [&tb, w] {
            w->clear();
            w->setToolButtonStyle(tb.Style() == 1 ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
            // small icons leave the caption room under them in a dialog-high bar
            w->setIconSize(tb.Style() == 1 ? QSize(20, 20) : QSize(24, 24));
            for (const auto& b : tb.buttons()) {
                if (!b.visible) continue;
                QAction* a = w->addAction(image_icon(b.image), q(b.caption));
                a->setToolTip(q(b.tooltip.empty() ? b.caption : b.tooltip));
                a->setEnabled(b.enabled);
                a->setCheckable(b.check);
                a->setChecked(b.pressed);
                std::string key = b.key;
                QObject::connect(a, &QAction::triggered, [&tb, key] { tb.click(key); });
            }
        };
        rebuild();
        place(tb, w);
        tb.on_changed = [this, rebuild](ui::Control& c, std::string_view p) {
            if (p == "Buttons" || p == "Style") rebuild();
            else changed(c, p);
        };
    }

    void place(ui::Control& c, QWidget* w) {
        w->setGeometry(px(c));
        widgets[c.Name()] = w;
        by_control[&c] = w;
        if (!c.on_changed) c.on_changed = [this](ui::Control& ctl, std::string_view p) { changed(ctl, p); };
    }

    // Generic properties every control shares; the kinds handle their own.
    void changed(ui::Control& c, std::string_view p) {
        QWidget* w = by_control[&c];
        if (!w) return;
        if (p == "Geometry") w->setGeometry(px(c));
        else if (p == "Visible" || p == "Enabled" || p == "ToolTipText") sync_visible(c);
        else if (p == "Tab") sync_all_visible();
        else if (auto* l = dynamic_cast<ui::Label*>(&c)) static_cast<QLabel*>(w)->setText(q(l->Caption()));
        else if (auto* b = dynamic_cast<ui::CommandButton*>(&c)) {
            show_button(*static_cast<QPushButton*>(w), *b);
        } else if (auto* k = dynamic_cast<ui::CheckBox*>(&c)) {
            syncing = true;
            static_cast<QCheckBox*>(w)->setCheckState(k->Value() == 1 ? Qt::Checked : k->Value() == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
            syncing = false;
        } else if (auto* t = dynamic_cast<ui::TextBox*>(&c)) {
            auto* e = static_cast<QLineEdit*>(w);
            if (p == "Text" && e->text() != q(t->Text())) e->setText(q(t->Text()));
            if (p == "Selection") e->setSelection(t->SelStart(), t->SelLength());
            if (p == "Locked") e->setReadOnly(t->Locked());
        } else if (auto* h = dynamic_cast<ui::HeadItem*>(&c)) {
            auto* e = w->findChild<QLineEdit*>();
            w->findChild<QLabel*>()->setText(q(h->Caption()) + "：");
            e->setText(q(h->EditText()));
            e->setReadOnly(!h->Editable());
        } else if (auto* hl = dynamic_cast<ui::HeadItemList*>(&c)) {
            QString text;
            for (const auto& en : hl->entries()) text += q(en.caption) + "：" + q(en.value) + "    ";
            static_cast<QLabel*>(w)->setText(text);
        } else if (auto* fr = dynamic_cast<ui::Frame*>(&c)) static_cast<QGroupBox*>(w)->setTitle(q(fr->Caption()));
        else if (auto* sb = dynamic_cast<ui::StatusBar*>(&c)) {
            const auto labels = w->findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
            for (long i = 1; i <= sb->panel_count() && i <= labels.size(); ++i) labels[i - 1]->setText(q(sb->panel_text(i)));
        } else if (auto* g = dynamic_cast<ui::Grid*>(&c); g && p == "GridColor") {
            apply_grid_color(static_cast<QTableView*>(w), g->GridColor());
        } else if (auto* g = dynamic_cast<ui::Grid*>(&c); g && p == "TopRow") {
            auto* view = static_cast<QTableView*>(w);
            auto* model = static_cast<GridModel*>(view->model());
            view->scrollTo(model->index(model->model_row(g->TopRow()), 0), QAbstractItemView::PositionAtTop);
        }
    }

    void build(ui::Form& form) {
        // Frames first so the fields drawn on them stay on top.
        for (const auto& owned : form.controls())
            if (auto* fr = dynamic_cast<ui::Frame*>(owned.get())) place(*fr, new QGroupBox(q(fr->Caption()), self));
        for (const auto& owned : form.controls()) {
            ui::Control& c = *owned;
            if (auto* l = dynamic_cast<ui::Label*>(&c)) {
                place(c, new QLabel(q(l->Caption()), self));
            } else if (auto* b = dynamic_cast<ui::CommandButton*>(&c)) {
                auto* w = new QPushButton(self);
                show_button(*w, *b);
                w->setAutoDefault(false);
                QObject::connect(w, &QPushButton::clicked, [b] { b->click(); });
                place(c, w);
            } else if (auto* k = dynamic_cast<ui::CheckBox*>(&c)) {
                auto* w = new QCheckBox(q(k->Caption()), self);
                w->setCheckState(k->Value() == 1 ? Qt::Checked : Qt::Unchecked);
                QObject::connect(w, &QCheckBox::clicked, [k, this, w] {
                    if (syncing) return;
                    k->click();
                    changed(*k, "Value");
                    (void)w;
                });
                place(c, w);
            } else if (auto* t = dynamic_cast<ui::TextBox*>(&c)) {
                auto* w = new QLineEdit(q(t->Text()), self);
                w->setReadOnly(t->Locked());
                // Typing and pasting both go through the model's key filter.
                QObject::connect(w, &QLineEdit::textEdited, [t, w](const QString& s) {
                    int pos = w->cursorPosition();
                    t->replace_text(s.toStdString());
                    if (w->text() != q(t->Text())) {
                        w->setText(q(t->Text()));
                        w->setCursorPosition(std::min<int>(pos - 1, w->text().size()));
                    }
                });
                place(c, w);
            } else if (auto* cb = dynamic_cast<ui::ComboBox*>(&c)) {
                auto* w = new DropDownCombo(*cb, self);
                for (long i = 0; i < cb->ListCount(); ++i) w->addItem(q(cb->List(i)));
                w->setCurrentIndex(static_cast<int>(cb->ListIndex()));
                QObject::connect(w, QOverload<int>::of(&QComboBox::activated), [cb](int i) { cb->put_ListIndex(i); });
                place(c, w);
                cb->on_changed = [this, cb, w](ui::Control& ctl, std::string_view p) {
                    if (p == "List") {
                        w->clear();
                        for (long i = 0; i < cb->ListCount(); ++i) w->addItem(q(cb->List(i)));
                    }
                    if (p == "List" || p == "ListIndex") w->setCurrentIndex(static_cast<int>(cb->ListIndex()));
                    else changed(ctl, p);
                };
            } else if (auto* g = dynamic_cast<ui::Grid*>(&c)) {
                add_grid(*g);
            } else if (auto* lv = dynamic_cast<ui::ListView*>(&c)) {
                add_list_view(*lv);
            } else if (auto* tv = dynamic_cast<ui::TreeView*>(&c)) {
                add_tree(*tv);
            } else if (auto* tb = dynamic_cast<ui::Toolbar*>(&c)) {
                add_toolbar(*tb);
            } else if (auto* sb = dynamic_cast<ui::StatusBar*>(&c)) {
                auto* w = new QStatusBar(self);
                w->setSizeGripEnabled(false);
                for (long i = 1; i <= sb->panel_count(); ++i) w->addWidget(new QLabel(q(sb->panel_text(i)), w), 1);
                place(c, w);
            } else if (auto* h = dynamic_cast<ui::HeadItem*>(&c)) {
                auto* w = new QWidget(self);
                auto* label = new QLabel(q(h->Caption()) + "：", w);
                auto* edit = new QLineEdit(q(h->EditText()), w);
                QRect r = px(c);
                label->setGeometry(0, 0, r.width() * 2 / 5, r.height());
                label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
                edit->setGeometry(r.width() * 2 / 5, 0, r.width() - r.width() * 2 / 5, r.height());
                edit->setReadOnly(!h->Editable());
                QObject::connect(edit, &QLineEdit::editingFinished, [h, edit] {
                    if (edit->isReadOnly() || edit->text() == q(h->Value())) return;
                    if (!h->commit(edit->text().toStdString())) edit->setFocus();
                    edit->setText(q(h->EditText()));
                });
                place(c, w);
            } else if (auto* hl = dynamic_cast<ui::HeadItemList*>(&c)) {
                place(c, new QLabel(self));
                changed(*hl, "Entries");
            } else if (auto* ts = dynamic_cast<ui::TabStrip*>(&c)) {
                auto* w = new QTabBar(self);
                for (long i = 0; i < ts->Tabs(); ++i) w->addTab(q(ts->TabCaption(i)));
                w->setCurrentIndex(static_cast<int>(ts->Tab()));
                QObject::connect(w, &QTabBar::tabBarClicked, [this, ts, w, &form](int i) {
                    ts->click_tab(i);
                    w->setCurrentIndex(static_cast<int>(ts->Tab()));
                    self->setWindowTitle(q(form.Caption()));  // a form may caption itself by its tab
                    for (long t = 0; t < ts->Tabs(); ++t) w->setTabEnabled(static_cast<int>(t), ts->TabEnabled(t));
                });
                for (long t = 0; t < ts->Tabs(); ++t) w->setTabEnabled(static_cast<int>(t), ts->TabEnabled(t));
                tabs = ts;
                place(c, w);
                ts->on_changed = [this, ts, w](ui::Control& ctl, std::string_view p) {
                    if (p == "Tab") {
                        w->setCurrentIndex(static_cast<int>(ts->Tab()));
                        sync_all_visible();
                    } else changed(ctl, p);
                };
            }
        }
        sync_all_visible();
    }
};

FormView::FormView(ui::Form& form, QWidget* parent) : QDialog(parent), form_(form), impl_(std::make_unique<Impl>()) {
    impl_->self = this;
    setWindowTitle(q(form.Caption()));
    setFixedSize(form.Width() / 15, form.Height() / 15);
    if (form.Left() >= 0) move(form.Left() / 15, form.Top() / 15);
    impl_->build(form);
    form.view_closed = [this] {
        if (isVisible()) done(0);
    };
    form.view_detach = [this] { detach(); };
    // The model decides where the focus is: Validate may keep it.
    form.view_focus = [this](ui::Control* c) {
        if (!c) return;
        auto it = impl_->by_control.find(c);
        if (it == impl_->by_control.end()) return;
        QWidget* w = it->second->findChild<QLineEdit*>() ? it->second->findChild<QLineEdit*>() : it->second;
        if (QApplication::focusWidget() != w) {
            impl_->syncing = true;
            w->setFocus();
            impl_->syncing = false;
        }
    };
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (impl_->syncing || !now || now->window() != this) return;
        for (auto& [c, w] : impl_->by_control)
            if (w == now || w->isAncestorOf(now)) {
                if (form_.active_control() == c) return;
                if (!form_.set_focus(c) && form_.view_focus) form_.view_focus(form_.active_control());
                return;
            }
    });
}

void FormView::keyPressEvent(QKeyEvent* e) {
    if (!bound_) return;
    if (int k = vb_key(e->key())) {
        if (k != 27 && k != 13) {
            form_.key_down(k, vb_shift(e->modifiers()));
            return;
        }
    }
    QDialog::keyPressEvent(e);
}

FormView::~FormView() {
    if (bound_) detach();
}

void FormView::detach() {
    if (!bound_) return;
    bound_ = false;
    disconnect(qApp, nullptr, this, nullptr);
    form_.view_closed = nullptr;
    form_.view_focus = nullptr;
    form_.view_detach = nullptr;
    for (const auto& c : form_.controls()) {
        c->on_changed = nullptr;
        if (auto* g = dynamic_cast<ui::Grid*>(c.get())) {
            g->on_shape_changing = nullptr;
            g->on_shape_changed = nullptr;
            g->on_layout_changed = nullptr;
            g->on_cells_changed = nullptr;
        } else if (auto* lv = dynamic_cast<ui::ListView*>(c.get())) {
            lv->on_item_changed = nullptr;
        } else if (auto* tv = dynamic_cast<ui::TreeView*>(c.get())) {
            tv->on_node_changed = nullptr;
        }
    }
}

QWidget* FormView::widget_of(const std::string& name) const {
    auto it = impl_->widgets.find(name);
    return it == impl_->widgets.end() ? nullptr : it->second;
}

bool FormView::save_png(const QString& path) {
    // a screenshot asked into a folder not made yet goes there all the same
    QDir().mkpath(QFileInfo(path).absolutePath());
    return grab().save(path, "PNG");
}

void FormView::closeEvent(QCloseEvent* e) {
    // The close box asks the form; QueryUnload may keep it open.
    if (bound_ && form_.loaded() && !form_.Unload()) e->ignore();
    else e->accept();
}

void FormView::reject() {
    if (bound_ && form_.loaded() && !form_.Unload()) return;
    QDialog::reject();
}

namespace {

// The box a message is asked in, whether a person answers it or it is
// captured; `result_of` gets the answer each button gives.
void build_message_box(QMessageBox& box, const ui::Message& m, const std::string& app_title,
                       std::map<QAbstractButton*, int>& result_of) {
    box.setText(q(m.text));
    // Qt wraps a box's text at half the screen, and Chinese anywhere in a
    // word: a line of a message stays whole while the screen has room.
    if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
        int widest = 0;
        for (QString line : label->text().split(QLatin1Char('\n'))) {
            line.remove(QLatin1Char('\r'));
            widest = std::max(widest, label->fontMetrics().horizontalAdvance(line));
        }
        const int room = box.screen()->availableGeometry().width() - 160;
        label->setMinimumWidth(std::min(widest + 2, room));
    }
    box.setWindowTitle(q(m.title.empty() ? app_title : m.title));
    box.setIcon(m.icon == ui::vb::vbCritical      ? QMessageBox::Critical
                : m.icon == ui::vb::vbQuestion    ? QMessageBox::Question
                : m.icon == ui::vb::vbExclamation ? QMessageBox::Warning
                : m.icon == ui::vb::vbInformation ? QMessageBox::Information
                                                  : QMessageBox::NoIcon);
    static const std::map<int, std::pair<QMessageBox::StandardButton, const char*>> kButtons = {
        {ui::vb::vbOK, {QMessageBox::Ok, "确定"}},         {ui::vb::vbCancel, {QMessageBox::Cancel, "取消"}},
        {ui::vb::vbAbort, {QMessageBox::Abort, "终止"}},   {ui::vb::vbRetry, {QMessageBox::Retry, "重试"}},
        {ui::vb::vbIgnore, {QMessageBox::Ignore, "忽略"}}, {ui::vb::vbYes, {QMessageBox::Yes, "是"}},
        {ui::vb::vbNo, {QMessageBox::No, "否"}}};
    auto results = m.results();
    for (std::size_t i = 0; i < results.size(); ++i) {
        auto [std_button, text] = kButtons.at(results[i]);
        QAbstractButton* b = box.addButton(std_button);
        b->setText(QString::fromUtf8(text));
        result_of[b] = results[i];
        if (static_cast<int>(i) + 1 == m.default_button) box.setDefaultButton(static_cast<QPushButton*>(b));
    }
}

// Offscreen no window manager draws a caption: the picture gets a strip of
// its own with the window's title, which is half of what a box says.
QImage with_caption(QWidget& w) {
    const QPixmap body = w.grab();
    const QPalette& pal = w.palette();
    const int strip = QFontMetrics(w.font()).height() + 12;
    QImage out(body.width(), body.height() + strip, QImage::Format_ARGB32);
    out.fill(pal.color(QPalette::Window));
    QPainter p(&out);
    p.fillRect(0, 0, out.width(), strip, pal.color(QPalette::Highlight));
    p.setPen(pal.color(QPalette::HighlightedText));
    p.setFont(w.font());
    p.drawText(QRect(10, 0, out.width() - 20, strip), Qt::AlignVCenter | Qt::AlignLeft, w.windowTitle());
    p.drawPixmap(0, strip, body);
    p.setPen(pal.color(QPalette::Dark));
    p.drawRect(out.rect().adjusted(0, 0, -1, -1));
    return out;
}

}  // namespace

int QtUi::MsgBox(std::string_view prompt, int flags, std::string_view title) {
    ui::Message m = ui::Message::from_flags(prompt, flags, title);
    QMessageBox box(QApplication::activeWindow());
    std::map<QAbstractButton*, int> result_of;
    build_message_box(box, m, app_title(), result_of);
    if (!capture_stem_.empty()) {
        box.show();
        QApplication::processEvents();
        CapturedMessage shot{capture_stem_ + "-message-" + std::to_string(captured_.size() + 1) + ".png",
                             box.windowTitle().toStdString(), m.text, false};
        QDir().mkpath(QFileInfo(q(shot.path)).absolutePath());
        shot.saved = with_caption(box).save(q(shot.path), "PNG");
        box.close();
        captured_.push_back(std::move(shot));
        // as HeadlessUi answers a box nobody scripted
        const auto results = m.results();
        return results[static_cast<std::size_t>(m.default_button - 1) % results.size()];
    }
    box.exec();
    auto it = result_of.find(box.clickedButton());
    return it == result_of.end() ? (result_of.size() > 1 ? ui::vb::vbCancel : ui::vb::vbOK) : it->second;
}

std::string QtUi::InputBox(std::string_view prompt, std::string_view title, std::string_view default_text) {
    bool ok = false;
    QString text = QInputDialog::getText(QApplication::activeWindow(), q(std::string(title)), q(std::string(prompt)),
                                         QLineEdit::Normal, q(std::string(default_text)), &ok);
    return ok ? text.toStdString() : std::string();
}

void QtUi::Beep() { QApplication::beep(); }

void QtUi::SendKeys(std::string_view keys) {
    QWidget* w = QApplication::focusWidget();
    if (!w) return;
    if (keys == "{HOME}+{END}") {
        if (auto* e = qobject_cast<QLineEdit*>(w)) e->selectAll();
    } else if (keys == "{ESC}") {
        // It ends an open cell edit. With none open the window would take it
        // as its close key and unload the form that sent it mid-work.
        bool in_cell = false;
        for (QWidget* p = w->parentWidget(); p && !in_cell; p = p->parentWidget())
            in_cell = qobject_cast<QAbstractItemView*>(p) != nullptr;
        if (!in_cell) return;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(w, &press);
    }
}

void QtUi::set_mouse_pointer(int pointer) {
    if (pointer_ != 0) QApplication::restoreOverrideCursor();
    pointer_ = pointer;
    if (pointer == 11) QApplication::setOverrideCursor(Qt::WaitCursor);
    else if (pointer == 13) QApplication::setOverrideCursor(Qt::BusyCursor);
    else if (pointer != 0) QApplication::setOverrideCursor(Qt::ArrowCursor);
}

void QtUi::show_modal(ui::Form& form) {
    FormView view(form, QApplication::activeWindow());
    view.exec();
    if (form.visible()) form.Hide();
}

QtUi::~QtUi() {
    for (const auto& view : modeless_) delete view.data();
}

void QtUi::show_modeless(ui::Form& form) {
    auto* view = new FormView(form, QApplication::activeWindow());
    std::erase_if(modeless_, [](const QPointer<FormView>& v) { return v.isNull(); });
    modeless_.emplace_back(view);
    // closed by the form or the person: the form may be shown again by a
    // new window, so this one lets go at once and goes when Qt is done with it
    QObject::connect(view, &QDialog::finished, view, [view] {
        view->detach();
        view->deleteLater();
    });
    // a form that goes while its window is up takes the window with it
    form.view_detach = [view] {
        view->detach();
        delete view;
    };
    view->show();
}

void QtUi::popup_menu(ui::Form&, ui::Menu& menu) {
    QMenu m;
    std::map<QAction*, ui::Menu*> item_of;
    for (ui::Menu* item : menu.items()) {
        if (!item->Visible()) continue;
        QAction* a = m.addAction(q(item->Caption()));
        a->setEnabled(item->Enabled());
        a->setCheckable(item->Checked());
        a->setChecked(item->Checked());
        item_of[a] = item;
    }
    if (QAction* chosen = m.exec(QCursor::pos())) item_of[chosen]->click();
}

void QtUi::set_app_title(std::string title) {
    ui::UiHost::set_app_title(title);
    QApplication::setApplicationDisplayName(q(title));
}

}  // namespace korvane::qt
