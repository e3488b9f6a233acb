#include "app/TForm1.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>

#include "app/DecalComboBox.h"
#include "app/DirectoryEdit.h"
#include "app/ErrorBoxes.h"

namespace grittydecal {

TForm1* Form1 = nullptr;

namespace {

constexpr QPoint kDesignedPlace(81, 254);
constexpr QSize kDesignedOuterSize(739, 149);
// The designed font is 13 pixels high; this one is 12, and the layout keeps 13.
constexpr int kLabelHeight = 13;

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QPoint place) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->move(place);
    return label;
}

}  // namespace

TForm1::TForm1(FileSystem& fileSystem, QWidget* parent)
    : QWidget(parent),
      FormStorage1(*this),
      scrollArea_(new QScrollArea(this)),
      client_(new QWidget(this)),
      commands_(fileSystem, *this) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("X-plane 10  Gritty detail texture"));
    setWindowIcon(QIcon(QStringLiteral(":/grittydecal.png")));
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(11);
    setFont(font);

    DirectoryEdit1 = new DirectoryEdit(client_);
    DirectoryEdit1->setObjectName(QStringLiteral("DirectoryEdit1"));
    DirectoryEdit1->setGeometry(112, 16, 377, 21);

    ComboBox1 = new DecalComboBox(client_);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setGeometry(112, 47, 369, 21);

    Label1 = MakeLabel(client_, "Label1", QStringLiteral("X-Plane root"), {36, 20});
    Label2 = MakeLabel(client_, "Label2", QStringLiteral("Select DCL"), {37, 49});

    Button1 = new QPushButton(QStringLiteral("Set"), client_);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(632, 16, 75, 25);

    Button2 = new QPushButton(QStringLiteral("Clear"), client_);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(632, 57, 75, 25);

    Label3 = MakeLabel(client_, "Label3", QString(), {111, 88});

    CheckBox1 = new QCheckBox(QStringLiteral("Vybraný čtverec"), client_);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    // 97 pixels cut the caption in this font; the check box grows to the right only.
    CheckBox1->setGeometry(505, 19, std::max(97, CheckBox1->sizeHint().width()), 17);

    for (QLabel* label : {Label1, Label2, Label3}) fitLabel(label);

    setTabOrder(DirectoryEdit1, ComboBox1);
    setTabOrder(ComboBox1, Button1);
    setTabOrder(Button1, Button2);
    setTabOrder(Button2, CheckBox1);

    // Controls keep their place; the scroll bars come when one reaches past
    // the client area and go again when everything fits.
    scrollArea_->setObjectName(QStringLiteral("scrollArea"));
    scrollArea_->setFrameShape(QFrame::NoFrame);
    scrollArea_->setFocusPolicy(Qt::NoFocus);
    scrollArea_->setWidgetResizable(true);
    scrollArea_->setWidget(client_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scrollArea_);

    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    connect(CheckBox1, &QCheckBox::toggled, this, &TForm1::CheckBox1Click);

    move(kDesignedPlace);
    outerSize_ = kDesignedOuterSize;
    resize(outerSize_);
}

TForm1::~TForm1() { FormStorage1.SaveSettingsOnDestroy(); }

void TForm1::Button1Click() {
    sinceMessages_.invalidate();
    commands_.set(folderText(), CheckBox1->isChecked(), ComboBox1->currentText().toStdString());
    endIfRequested();
}

void TForm1::Button2Click() {
    sinceMessages_.invalidate();
    commands_.clear(folderText(), CheckBox1->isChecked());
    endIfRequested();
}

void TForm1::CheckBox1Click() {
    Label1->setText(CheckBox1->isChecked() ? QStringLiteral("Area folder")
                                           : QStringLiteral("X-Plane root"));
    fitLabel(Label1);
}

void TForm1::setProgressText(std::string_view text) {
    const QString shown =
        QFile::decodeName(QByteArray(text.data(), static_cast<qsizetype>(text.size())));
    if (shown == Label3->text()) return;
    Label3->setText(shown);
    fitLabel(Label3);
}

// The walk asks after every entry, hundreds of thousands of times, and each
// processing polls the display connection: a few milliseconds apart is still
// far quicker than anyone sees the label change or clicks.
void TForm1::processPendingMessages() {
    constexpr qint64 kIntervalMs = 10;
    if (sinceMessages_.isValid() && !sinceMessages_.hasExpired(kIntervalMs)) return;
    QCoreApplication::processEvents();
    sinceMessages_.start();
}

void TForm1::beep() { QApplication::beep(); }

void TForm1::showError(std::string_view message) {
    ShowError(QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size())));
}

bool TForm1::event(QEvent* event) {
    if (!outerSizeFitted_ &&
        (event->type() == QEvent::Move || event->type() == QEvent::WindowActivate)) {
        fitOuterSize();
    }
    return QWidget::event(event);
}

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shown_) return;
    shown_ = true;
    // Before the window is displayed, so that it shows up at its stored place.
    FormStorage1.RestoreSettings();
    DirectoryEdit1->setFocus(Qt::OtherFocusReason);
    DirectoryEdit1->selectAll();
}

void TForm1::closeEvent(QCloseEvent* event) {
    // Nothing refuses a close, so the first request is the agreed one; the
    // values are those of this moment, even when the end waits for a command.
    if (!closeRequested_) {
        closeRequested_ = true;
        FormStorage1.SaveSettings();
    }
    if (commands_.running()) {
        // The request came while the walk processes messages inside a click:
        // the end waits until the command has returned.
        endRequested_ = true;
        event->ignore();
        return;
    }
    event->accept();
}

std::string TForm1::folderText() const {
    return QFile::encodeName(DirectoryEdit1->text()).toStdString();
}

void TForm1::endIfRequested() {
    // A refused second command returns here too, with the first still running.
    if (!endRequested_ || commands_.running()) return;
    endRequested_ = false;
    close();
}

void TForm1::fitLabel(QLabel* label) {
    // Like a label of the designer: one line, as wide as its text, an empty
    // one as wide as a blank.
    const QFontMetrics metrics(label->font());
    const QString text = label->text().isEmpty() ? QStringLiteral(" ") : label->text();
    label->resize(metrics.horizontalAdvance(text), std::max(metrics.height(), kLabelHeight));
    // The scroll range: the client reaches as far as its farthest control.
    const QRect reach = client_->childrenRect();
    client_->setMinimumSize(reach.right() + 1, reach.bottom() + 1);
}

QRect TForm1::normalFrame() const {
    const QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
    QRect frame = normal.marginsAdded(frameMargins());
    // Until it is fitted, the size stands for the outer size.
    if (!outerSizeFitted_ && normal.size() == outerSize_) frame.setSize(outerSize_);
    return frame;
}

void TForm1::setNormalFrame(const QRect& frame) {
    if (frame == normalFrame()) return;
    const QMargins margins = frameMargins();
    outerSize_ = frame.size();
    outerSizeFitted_ = !margins.isNull();
    move(frame.topLeft());
    resize(frame.size().shrunkBy(margins));
}

QMargins TForm1::frameMargins() const {
    const QWindow* window = windowHandle();
    return window != nullptr ? window->frameMargins() : QMargins();
}

void TForm1::fitOuterSize() {
    // The designed or stored size includes the frame, which a window manager
    // adds only once the window is mapped; without one the frame stays empty.
    // A maximized window is fitted once it is back at its normal size.
    const QMargins margins = frameMargins();
    if (margins.isNull() || isMaximized() || isFullScreen()) return;
    outerSizeFitted_ = true;
    if (size() == outerSize_) resize(outerSize_.shrunkBy(margins));
}

}  // namespace grittydecal
