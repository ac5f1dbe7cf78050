#include "TZLayoutWindow.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

#include "K3DFonts.h"
#include "KRegistry.h"
#include "KZText.h"
#include "TLayout.h"
#include "TLayoutJson.h"
#include "TLayoutObject.h"
#include "TLayoutPicture.h"

namespace {

// The edges each grip moves, clockwise from the top left: bit 0 left,
// 1 top, 2 right, 3 bottom.
constexpr uint32_t kGripEdges[8] = {1 | 2, 2, 2 | 4, 4, 4 | 8, 8, 8 | 1, 1};

const QColor kFrame(255, 255, 255, 160);
const QColor kGuide(255, 0, 255);

int32_t SettingOr(KRegistry& settings, const char16_t* path, int32_t missing) {
    const KRInt* value = settings.FindInt(KString(path));
    return value ? value->value : missing;
}

QRect ToQRect(const KRect& r) {
    return QRect(QPoint(r.left, r.top), QPoint(r.right, r.bottom));
}

}  // namespace

TZLayoutWindow::TZLayoutWindow(TLayout& layout, KRegistry& settings, int32_t numer, int32_t denom,
                               QWidget* parent)
    : QWidget(parent),
      layout_(layout),
      settings_(settings),
      numer_(numer),
      denom_(denom),
      history_(layout) {
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(96, 96, 96));
    setPalette(colours);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    if (K3DFonts* fonts = K3DFonts::Current()) picture_ = std::make_unique<TLayoutPicture>(*fonts);
    layout_.SetWatcher(this);
}

TZLayoutWindow::~TZLayoutWindow() {
    if (layout_.Watcher() == this) layout_.SetWatcher(nullptr);
}

int32_t TZLayoutWindow::ToWindow(int32_t v) const {
    return static_cast<int32_t>(
        std::clamp<int64_t>(int64_t{v} * numer_ / denom_, INT32_MIN, INT32_MAX));
}

int32_t TZLayoutWindow::ToLayout(int32_t v) const {
    return static_cast<int32_t>(
        std::clamp<int64_t>(int64_t{v} * denom_ / numer_, INT32_MIN, INT32_MAX));
}

KRect TZLayoutWindow::ToWindow(const KRect& r) const {
    return {ToWindow(r.left), ToWindow(r.top), ToWindow(r.right), ToWindow(r.bottom)};
}

KSize TZLayoutWindow::LayoutSize() const {
    return {std::max(ToLayout(width()), 1), std::max(ToLayout(height()), 1)};
}

KSize TZLayoutWindow::Grid() const {
    return {SettingOr(settings_, u"\\Layout\\GridHoriz", 3),
            SettingOr(settings_, u"\\Layout\\GridVert", 3)};
}

void TZLayoutWindow::LayoutChanged() {
    pictureStale_ = true;
    staleArea_ = {};
    update();
    if (changed_) changed_();
}

// Only the object's part of the window is composed and painted again (a
// running clock would otherwise repaint every frame and label at each
// tick), with a margin for the smoothing of a scaled picture.
void TZLayoutWindow::ObjectRedrawn(const KRect& rect) {
    if (!pictureStale_) staleArea_ = staleArea_.Union(rect);
    update(ToQRect(ToWindow(rect)).adjusted(-2, -2, 2, 2));
    if (changed_) changed_();
}

void TZLayoutWindow::SetShowLabels(bool on) {
    showLabels_ = on;
    update();
}

// Selection

// The selection is a flag of the objects, saved with them: changing it is
// an edit of the layout, refused while the layout may not be edited.

void TZLayoutWindow::SelectAll() {
    if (!ReadyToEdit()) return;
    for (TLayoutObject& o : layout_.Objects()) o.SetSelected(true);
}

void TZLayoutWindow::SelectNone() {
    if (!ReadyToEdit()) return;
    for (TLayoutObject& o : layout_.Objects()) o.SetSelected(false);
}

void TZLayoutWindow::InvertSelection() {
    if (!ReadyToEdit()) return;
    for (TLayoutObject& o : layout_.Objects()) o.SetSelected(!o.IsSelected());
}

void TZLayoutWindow::SelectNext(bool backwards) {
    if (!ReadyToEdit()) return;
    const KListOf<TLayoutObject>& objects = layout_.State().objects;
    TLayoutObject* first = nullptr;
    for (TLayoutObject& o : layout_.Objects())
        if (!first && o.IsSelected()) first = &o;
    TLayoutObject* next = nullptr;
    if (!first) {
        next = backwards ? objects.Tail() : objects.Head();
    } else {
        next = backwards ? objects.Prev(*first) : objects.Next(*first);
        if (!next) next = backwards ? objects.Tail() : objects.Head();
    }
    SelectNone();
    if (next) next->SetSelected(true);
}

void TZLayoutWindow::SelectInBand(bool add) {
    const KRect band{
        ToLayout(std::min(pressed_.x(), band_.x())), ToLayout(std::min(pressed_.y(), band_.y())),
        ToLayout(std::max(pressed_.x(), band_.x())), ToLayout(std::max(pressed_.y(), band_.y()))};
    for (TLayoutObject& o : layout_.Objects())
        if (o.Rect().Intersects(band))
            o.SetSelected(true);
        else if (!add)
            o.SetSelected(false);
}

// Edits

void TZLayoutWindow::MoveSelection(int32_t dx, int32_t dy) {
    if (!ReadyToEdit()) return;
    Begin();
    for (TLayoutObject& o : layout_.Objects())
        if (o.IsSelected()) o.SetPosition(o.X() + dx, o.Y() + dy);
    history_.End();
}

void TZLayoutWindow::DeleteSelection() {
    if (!ReadyToEdit()) return;
    Begin();
    for (TLayoutObject* o : Selection()) layout_.RemoveObject(o);
    history_.End();
}

void TZLayoutWindow::AddObject(int32_t prototypeIndex) {
    if (!ReadyToEdit()) return;
    Begin();
    SelectNone();
    if (TLayoutObject* added = layout_.AddObject(prototypeIndex)) added->SetSelected(true);
    history_.End();
}

void TZLayoutWindow::Begin() {
    history_.SetLevels(SettingOr(settings_, u"\\Layout\\UndoLevels", 25));
    history_.Begin();
}

bool TZLayoutWindow::Copy() {
    const TLayoutJson::Json selection = TLayoutJson::SelectionToJson(layout_);
    if (selection["objects"].empty()) return false;
    QGuiApplication::clipboard()->setText(QString::fromStdString(
        selection.dump(2, ' ', false, TLayoutJson::Json::error_handler_t::replace)));
    return true;
}

void TZLayoutWindow::Cut() {
    if (ReadyToEdit() && Copy()) DeleteSelection();
}

bool TZLayoutWindow::Paste() {
    if (!ReadyToEdit()) return false;
    TLayout pasted;
    try {
        TLayoutJson::FromJson(
            TLayoutJson::Json::parse(QGuiApplication::clipboard()->text().toStdString()), pasted);
    } catch (const TLayoutJson::Json::exception&) {
        return false;
    } catch (const TLayoutJsonError&) {
        return false;
    }
    if (pasted.State().objects.Count() == 0) return false;
    Begin();
    SelectNone();
    for (const TLayoutObject& o : pasted.Objects())
        if (TLayoutObject* added = layout_.AddObjectFrom(o)) added->SetSelected(true);
    history_.End();
    return true;
}

void TZLayoutWindow::MoveToFront() {
    MoveSelectionInOrder(true, SettingOr(settings_, u"\\Layout\\ZOrderChange", 3) & 1);
}

void TZLayoutWindow::MoveToBack() {
    MoveSelectionInOrder(false, SettingOr(settings_, u"\\Layout\\ZOrderChange", 3) & 2);
}

void TZLayoutWindow::MoveSelectionInOrder(bool forward, bool allTheWay) {
    if (!ReadyToEdit()) return;
    std::vector<TLayoutObject*> chosen = Selection();
    // In the order that keeps the chosen objects' own order among them.
    if (forward != allTheWay) std::reverse(chosen.begin(), chosen.end());
    Begin();
    const KListOf<TLayoutObject>& objects = layout_.State().objects;
    for (TLayoutObject* o : chosen) {
        if (allTheWay) {
            forward ? layout_.MoveToFront(o) : layout_.MoveToBack(o);
            continue;
        }
        // A step never takes one chosen object past another.
        const TLayoutObject* neighbour = forward ? objects.Next(*o) : objects.Prev(*o);
        if (neighbour && !neighbour->IsSelected()) layout_.MoveOneStep(o, forward);
    }
    history_.End();
}

void TZLayoutWindow::Align(bool vertical) {
    if (!ReadyToEdit()) return;
    const TLayoutObject* first = nullptr;
    Begin();
    for (TLayoutObject& o : layout_.Objects()) {
        if (!o.IsSelected()) continue;
        if (!first) {
            first = &o;
        } else {
            o.SetPosition(vertical ? first->X() : o.X(), vertical ? o.Y() : first->Y());
        }
    }
    history_.End();
}

bool TZLayoutWindow::RescaleLayout(KSize from, KSize to) {
    if (!ReadyToEdit()) return false;
    Begin();
    const bool done = layout_.Rescale(from, to);
    history_.End();
    return done;
}

bool TZLayoutWindow::Undo() {
    return ReadyToEdit() && history_.Undo();
}

bool TZLayoutWindow::Redo() {
    return ReadyToEdit() && history_.Redo();
}

void TZLayoutWindow::EditInStep(const std::function<bool()>& edit) {
    if (!ReadyToEdit()) return;
    Begin();
    if (edit())
        history_.End();
    else
        history_.Abandon();
}

std::vector<TLayoutObject*> TZLayoutWindow::Selection() const {
    std::vector<TLayoutObject*> chosen;
    for (TLayoutObject& o : layout_.Objects())
        if (o.IsSelected()) chosen.push_back(&o);
    return chosen;
}

// Finding

TLayoutObject* TZLayoutWindow::ObjectAt(QPoint point) const {
    TLayoutObject* found = nullptr;
    for (TLayoutObject& o : layout_.Objects())
        if (ToQRect(ToWindow(o.Rect())).contains(point)) found = &o;
    return found;
}

std::vector<QRect> TZLayoutWindow::Grips(const TLayoutObject& object) const {
    const QRect box = ToQRect(ToWindow(object.Rect()));
    const int h = kGrip / 2;
    const int xs[3] = {box.left(), box.center().x(), box.right()};
    const int ys[3] = {box.top(), box.center().y(), box.bottom()};
    const int order[8][2] = {{0, 0}, {1, 0}, {2, 0}, {2, 1}, {2, 2}, {1, 2}, {0, 2}, {0, 1}};
    std::vector<QRect> grips;
    for (const auto& at : order) grips.emplace_back(xs[at[0]] - h, ys[at[1]] - h, kGrip, kGrip);
    return grips;
}

int32_t TZLayoutWindow::GripAt(QPoint point, TLayoutObject** object) const {
    for (TLayoutObject& o : layout_.Objects()) {
        if (!o.IsSelected()) continue;
        const std::vector<QRect> grips = Grips(o);
        for (int32_t i = 0; i < 8; ++i) {
            if (!grips[i].contains(point)) continue;
            *object = &o;
            return i;
        }
    }
    return -1;
}

// Mouse

void TZLayoutWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    setFocus();
    StartDrag(event);
}

void TZLayoutWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && openObjects_ && ObjectAt(event->position().toPoint()))
        openObjects_();
}

void TZLayoutWindow::StartDrag(QMouseEvent* event) {
    const bool editable = ReadyToEdit();
    pressed_ = band_ = event->position().toPoint();
    if (!editable) return;
    const bool toggle = event->modifiers() & Qt::ControlModifier;
    TLayoutObject* gripped = nullptr;
    grip_ = toggle ? -1 : GripAt(pressed_, &gripped);
    if (grip_ >= 0) {
        drag_ = Drag::kResize;
        held_.push_back({gripped, gripped->Rect()});
    } else if (TLayoutObject* hit = ObjectAt(pressed_)) {
        if (toggle) {
            hit->SetSelected(!hit->IsSelected());
            return;
        }
        if (!hit->IsSelected()) {
            SelectNone();
            hit->SetSelected(true);
        }
        drag_ = Drag::kMove;
        for (TLayoutObject& o : layout_.Objects())
            if (o.IsSelected()) held_.push_back({&o, o.Rect()});
    } else {
        if (!toggle) SelectNone();
        drag_ = Drag::kBand;
        return;
    }
    Begin();
}

void TZLayoutWindow::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton) || drag_ == Drag::kNone) {
        EndDrag();  // its button's release went elsewhere
        TLayoutObject* object = nullptr;
        const int32_t grip = GripAt(event->position().toPoint(), &object);
        static const Qt::CursorShape kShapes[4] = {Qt::SizeFDiagCursor, Qt::SizeVerCursor,
                                                   Qt::SizeBDiagCursor, Qt::SizeHorCursor};
        setCursor(grip < 0 ? Qt::ArrowCursor : kShapes[grip % 4]);
        return;
    }
    DragTo(event->position().toPoint(), !(event->modifiers() & Qt::AltModifier));
}

void TZLayoutWindow::DragTo(QPoint point, bool snap) {
    const int32_t dx = ToLayout(point.x() - pressed_.x());
    const int32_t dy = ToLayout(point.y() - pressed_.y());
    switch (drag_) {
        case Drag::kMove:
            MoveHeld(dx, dy, snap);
            break;
        case Drag::kResize:
            ResizeHeld(dx, dy, snap);
            break;
        case Drag::kBand:
            band_ = point;
            update();
            break;
        case Drag::kNone:
            break;
    }
}

void TZLayoutWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || drag_ == Drag::kNone) return;
    if (drag_ == Drag::kBand) {
        band_ = event->position().toPoint();
        SelectInBand(event->modifiers() & Qt::ControlModifier);
    }
    EndDrag();
}

void TZLayoutWindow::EndDrag() {
    if (drag_ == Drag::kNone) return;
    if (drag_ != Drag::kBand) history_.End();
    drag_ = Drag::kNone;
    held_.clear();
    guides_.clear();
    update();
}

bool TZLayoutWindow::ReadyToEdit() {
    EndDrag();
    return !editable_ || editable_();
}

void TZLayoutWindow::MoveHeld(int32_t dx, int32_t dy, bool snap) {
    KRect all = held_.front().from;
    for (const Held& h : held_) {
        all.left = std::min(all.left, h.from.left);
        all.top = std::min(all.top, h.from.top);
        all.right = std::max(all.right, h.from.right);
        all.bottom = std::max(all.bottom, h.from.bottom);
    }
    KRect moved{all.left + dx, all.top + dy, all.right + dx, all.bottom + dy};
    guides_.clear();
    if (snap) {
        TSnapper snapper(LayoutSize(), Grid(), ToLayout(kReach));
        for (const TLayoutObject& o : layout_.Objects())
            if (!o.IsSelected()) snapper.AddFixed(o.Rect());
        moved = snapper.Move(moved);
        guides_ = snapper.Guides();
    }
    for (const Held& h : held_)
        h.object->SetPosition(h.from.left + moved.left - all.left,
                              h.from.top + moved.top - all.top);
}

void TZLayoutWindow::ResizeHeld(int32_t dx, int32_t dy, bool snap) {
    const Held& h = held_.front();
    const uint32_t edges = kGripEdges[grip_];
    KRect r = h.from;
    if (edges & 1) r.left += dx;
    if (edges & 2) r.top += dy;
    if (edges & 4) r.right += dx;
    if (edges & 8) r.bottom += dy;
    guides_.clear();
    if (snap) {
        TSnapper snapper(LayoutSize(), Grid(), ToLayout(kReach));
        for (const TLayoutObject& o : layout_.Objects())
            if (&o != h.object) snapper.AddFixed(o.Rect());
        r = snapper.Resize(r, edges);
        guides_ = snapper.Guides();
    }
    // An edge never passes the opposite one: the object keeps its least size.
    const int32_t least = TLayoutObject::kMinSide - 1;
    if (edges & 1) r.left = std::min(r.left, h.from.right - least);
    if (edges & 2) r.top = std::min(r.top, h.from.bottom - least);
    if (edges & 4) r.right = std::max(r.right, h.from.left + least);
    if (edges & 8) r.bottom = std::max(r.bottom, h.from.top + least);
    Place(*h.object, r);
}

void TZLayoutWindow::Place(TLayoutObject& object, const KRect& r) {
    object.SetPosition(r.left, r.top);
    object.SetSize(r.Width(), r.Height());
}

// Keys

void TZLayoutWindow::keyPressEvent(QKeyEvent* event) {
    if (!KeyCommand(event)) QWidget::keyPressEvent(event);
}

bool TZLayoutWindow::KeyCommand(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool ctrl = mods & Qt::ControlModifier;
    const bool shift = mods & Qt::ShiftModifier;
    const KSize grid = Grid();
    const int32_t stepX = shift ? std::max(grid.width, 1) : 1;
    const int32_t stepY = shift ? std::max(grid.height, 1) : 1;
    switch (event->key()) {
        case Qt::Key_Tab:
            SelectNext(false);
            return true;
        case Qt::Key_Backtab:
            SelectNext(true);
            return true;
        case Qt::Key_Escape:
            SelectNone();
            return true;
        case Qt::Key_Left:
            MoveSelection(-stepX, 0);
            return true;
        case Qt::Key_Right:
            MoveSelection(stepX, 0);
            return true;
        case Qt::Key_Up:
            MoveSelection(0, -stepY);
            return true;
        case Qt::Key_Down:
            MoveSelection(0, stepY);
            return true;
        case Qt::Key_Delete:
            DeleteSelection();
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (openObjects_ && !Selection().empty()) openObjects_();
            return true;
        case Qt::Key_A:
            if (ctrl) SelectAll();
            return ctrl;
        case Qt::Key_Z:
            if (ctrl) shift ? Redo() : Undo();
            return ctrl;
        case Qt::Key_Y:
            if (ctrl) Redo();
            return ctrl;
        case Qt::Key_T:
            if (ctrl) AddObject(0);
            return ctrl;
        case Qt::Key_B:
            if (ctrl) AddObject(1);
            return ctrl;
        default:
            return false;
    }
}

// Painting

void TZLayoutWindow::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    PaintPicture(painter);
    const QRect dirty = event->rect();
    for (TLayoutObject& o : layout_.Objects()) {
        const QRect reach = ToQRect(ToWindow(o.Rect())).adjusted(-kGrip, -kGrip, kGrip, kGrip);
        if (reach.intersects(dirty)) PaintFrame(painter, o);
    }
    painter.setPen(QPen(kGuide, 1));
    for (const TSnapper::Guide& g : guides_) {
        const int at = ToWindow(g.at);
        if (g.vertical) {
            painter.drawLine(at, 0, at, height());
        } else {
            painter.drawLine(0, at, width(), at);
        }
    }
    if (drag_ == Drag::kBand) {
        painter.setPen(QPen(Qt::white, 1, Qt::DashLine));
        painter.drawRect(QRect(pressed_, band_).normalized());
    }
}

void TZLayoutWindow::PaintPicture(QPainter& painter) {
    if (!picture_) return;
    if (pictureStale_) {
        picture_->Compose(layout_, LayoutSize());
        pictureStale_ = false;
    } else if (!staleArea_.IsEmpty()) {
        picture_->Recompose(layout_, staleArea_);
    }
    staleArea_ = {};
    const KSize size = picture_->Size();
    const QImage image(reinterpret_cast<const uchar*>(picture_->Pixels().data()), size.width,
                       size.height, size.width * 4, QImage::Format_RGB32);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(0, 0, ToWindow(size.width), ToWindow(size.height)), image);
}

void TZLayoutWindow::PaintFrame(QPainter& painter, TLayoutObject& object) {
    const QRect box = ToQRect(ToWindow(object.Rect()));
    const bool selected = object.IsSelected();
    const QColor highlight = palette().color(QPalette::Highlight);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(selected ? QPen(highlight, 2) : QPen(kFrame, 1, Qt::DotLine));
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    if (showLabels_ || !picture_ || !picture_->Painter().DrawsAnything(object))
        PaintLabel(painter, object, box);
    if (!selected) return;
    for (const QRect& grip : Grips(object)) {
        painter.fillRect(grip, Qt::white);
        painter.setPen(QPen(highlight, 1));
        painter.drawRect(grip.adjusted(0, 0, -1, -1));
    }
}

void TZLayoutWindow::PaintLabel(QPainter& painter, const TLayoutObject& object, const QRect& box) {
    KString label(63, KString::kMaxLimit), info(63, KString::kMaxLimit);
    object.GetLabel(label);
    object.GetInfo(info);
    painter.save();
    QFont small = painter.font();
    small.setPixelSize(11);
    painter.setFont(small);
    const QRect inner = box.adjusted(2, 2, -2, -2);
    // Label above info where two lines fit, else one after the other.
    const bool twoLines = inner.height() >= 2 * painter.fontMetrics().height();
    QString text = "[" + KZQString(info) + "]";
    if (!label.IsEmpty()) text = KZQString(label) + (twoLines ? "\n" : " ") + text;
    QRect needed = painter.fontMetrics().boundingRect(inner, Qt::AlignCenter, text);
    needed = needed.adjusted(-3, -1, 3, 1).intersected(inner);
    painter.setClipRect(inner);
    painter.fillRect(needed, QColor(0, 0, 0, 150));
    painter.setPen(Qt::white);
    painter.drawText(inner, Qt::AlignCenter, text);
    painter.restore();
}
