// SPDX-License-Identifier: GPL-3.0-or-later
#include "main/views.h"

#include "data/settings.h"
#include "main/main_window.h"
#include "platform/clock.h"
#include "ui/secondary_window.h"
#include "ui/twips.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListView>
#include <QPainter>
#include <QTextOption>

#include <algorithm>
#include <cmath>

namespace nudgewell {

void ReminderListModel::setLines(std::vector<ListLine> lines) {
    beginResetModel();
    m_lines = std::move(lines);
    endResetModel();
}

int ReminderListModel::recordAt(int row) const {
    return row >= 0 && row < int(m_lines.size()) ? m_lines[row].record : 0;
}

int ReminderListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_lines.size());
}

QVariant ReminderListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(m_lines.size()))
        return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return m_lines[index.row()].text;
    if (role == Qt::SizeHintRole && m_rowSize.isValid())
        return m_rowSize;
    return {};
}

namespace {

QLabel* makeEmptyLabel(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    QFont font = label->font();
    font.setBold(true);
    font.setPointSize(12);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(192, 0, 0));
    label->setPalette(palette);
    return label;
}

// The lines keep the stored text with its trailing blanks, so the years stand far right:
// the list scrolls sideways instead of eliding them, as far as the widest line needs.
void fitRows(QListView* list, ReminderListModel* model, const QLocale& locale) {
    if (model->rowCount() == 0)
        return;
    model->setRowSize({});
    const int height = list->sizeHintForRow(0);
    const int width =
        ReminderLineDelegate::rowWidth(QFontMetricsF(list->font()), locale, model->lines());
    model->setRowSize(QSize(width, height));
    list->doItemsLayout();
}

} // namespace

ReminderLineDelegate::ReminderLineDelegate(const QLocale& locale, QObject* parent)
    : QStyledItemDelegate(parent), m_locale(locale) {}

QList<qreal> ReminderLineDelegate::tabStops(const QFontMetricsF& metrics, const QLocale& locale) {
    const qreal gap = metrics.horizontalAdvance(QStringLiteral("  "));
    // A readable date and its weekday, or a stored date that could not be read.
    qreal prefix = metrics.horizontalAdvance(QStringLiteral("0000000000      "));
    for (int day = 1; day <= 7; ++day)
        prefix = qMax(prefix, metrics.horizontalAdvance(QStringLiteral("00/00/00   ") +
                                                        locale.dayName(day, QLocale::ShortFormat)));
    qreal frequency = 0;
    for (char code : {'O', 'W', 'M', 'Y'})
        frequency = qMax(frequency, metrics.horizontalAdvance(FrequencyWord(code)));
    const qreal first = prefix + gap;
    return {first, first + frequency + gap};
}

int ReminderLineDelegate::rowWidth(const QFontMetricsF& metrics, const QLocale& locale,
                                   const std::vector<ListLine>& lines) {
    // Adding up single characters is an upper bound of the shaped width and, with the
    // advances kept per character, quick enough for 32,767 lines.
    std::vector<qreal> advance(0x10000, -1);
    qreal widest = 0;
    for (const ListLine& line : lines) {
        const qsizetype tab = line.text.indexOf(u'\t', line.text.indexOf(u'\t') + 1);
        qreal width = 0;
        for (qsizetype i = tab + 1; i < line.text.size(); ++i) {
            qreal& a = advance[line.text[i].unicode()];
            if (a < 0)
                a = metrics.horizontalAdvance(line.text[i]);
            width += a;
        }
        widest = qMax(widest, width);
    }
    // The item's own margins on both sides.
    return int(std::ceil(tabStops(metrics, locale).last() + widest)) + 16;
}

void ReminderLineDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString text = opt.text;
    opt.text.clear();
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget);
    QTextOption layout(Qt::AlignLeft | Qt::AlignVCenter);
    layout.setWrapMode(QTextOption::NoWrap);
    // Measured once per font, not for every row painted.
    if (m_stops.isEmpty() || opt.font != m_stopsFont) {
        m_stopsFont = opt.font;
        m_stops = tabStops(QFontMetricsF(opt.font), m_locale);
    }
    layout.setTabArray(m_stops);
    painter->save();
    const bool selected = opt.state & QStyle::State_Selected;
    const QPalette::ColorGroup group =
        opt.state & QStyle::State_Enabled
            ? (opt.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive)
            : QPalette::Disabled;
    painter->setPen(
        opt.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    painter->setFont(opt.font);
    painter->drawText(QRectF(area).adjusted(2, 0, 0, 0), text, layout);
    painter->restore();
}

void MainWindow::createLists() {
    auto makeList = [this](const char* name, const QString& accessible, ReminderListModel*& model) {
        auto* list = new QListView(m_client);
        list->setObjectName(QLatin1String(name));
        list->setAccessibleName(accessible);
        list->setUniformItemSizes(true);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setEditTriggers(QAbstractItemView::NoEditTriggers);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        list->setTextElideMode(Qt::ElideNone);
        model = new ReminderListModel(list);
        list->setModel(model);
        list->setItemDelegate(new ReminderLineDelegate(m_services.clock.locale(), list));
        list->setProperty(kHelpTopicProperty, 200);
        placeInTwips(list, 120, 1080, 8600, 3765);
        list->hide();
        connect(list, &QListView::doubleClicked, this, [this] { menuedit_Click(); });
        return list;
    };
    m_reminderlist = makeList("reminderlist", tr("Upcoming reminders"), m_upcomingModel);
    m_reminderlist2 = makeList("reminderlist2", tr("All reminders"), m_allModel);
    // Only the list on show moves the current record: a hidden one may still be told to
    // change its row, and its record is not the one the user sees highlighted.
    for (View view : {View::Upcoming, View::All}) {
        connect(list(view)->selectionModel(), &QItemSelectionModel::currentChanged, this,
                [this, view](const QModelIndex& index) {
                    if (index.isValid() && m_state.mode == Mode::Browsing && m_state.view == view)
                        MatchSelectedLine(index.row(), view == View::Upcoming);
                });
    }

    m_labelNoRemindersAll =
        makeEmptyLabel(m_client, "LabelNoRemindersAll", tr("You have no reminders saved!"));
    placeInTwips(m_labelNoRemindersAll, 2160, 2040, 3630, 300);
    m_labelNoRemindersAll->resize(m_labelNoRemindersAll->sizeHint());
    m_labelNoRemindersWeek =
        makeEmptyLabel(m_client, "LabelNoRemindersWeek", tr("You have no upcoming reminders!"));
    placeInTwips(m_labelNoRemindersWeek, 1560, 2040, 5160, 300);
    // The bold text is wider and taller than its place at most fonts: it keeps its corner and
    // takes the size it needs.
    m_labelNoRemindersWeek->resize(m_labelNoRemindersWeek->sizeHint());
}

const std::vector<ReminderRecord>& MainWindow::readRecords() {
    QString error;
    if (!m_session.refresh(true, &error) && !error.isEmpty())
        reportFailure(error);
    return m_session.records();
}

ViewContext MainWindow::viewContext() const {
    return ViewContext::make(m_services.clock.today(), m_patterns.order, m_services.clock.locale());
}

void MainWindow::showLines(View view, std::vector<ListLine> lines, bool keepCurrent) {
    ReminderListModel* model = view == View::Upcoming ? m_upcomingModel : m_allModel;
    model->setLines(std::move(lines));
    fitRows(list(view), model, m_services.clock.locale());
    m_state.view = view;
    m_state.hasLines = model->rowCount() > 0;
    applyState();
    int row = 0;
    if (keepCurrent) {
        const std::vector<ListLine>& shown = model->lines();
        const auto it = std::find_if(shown.begin(), shown.end(), [this](const ListLine& line) {
            return line.record == m_session.current();
        });
        row = it == shown.end() ? 0 : int(it - shown.begin());
    }
    if (m_state.hasLines)
        list(view)->setCurrentIndex(model->index(row));
    focusView();
}

void MainWindow::releaseLines() {
    // A list of 32,767 lines holds megabytes: the old lines go before the new ones are built,
    // and the hidden list keeps none, as showing it always builds it anew.
    m_upcomingModel->setLines({});
    m_allModel->setLines({});
}

void MainWindow::BuildAllView(bool keepCurrent) {
    releaseLines();
    showLines(View::All, buildAllLines(readRecords(), viewContext()), keepCurrent);
    setWindowTitle(tr("Nudgewell -  %1 saved").arg(m_allModel->rowCount()));
}

void MainWindow::BuildUpcomingView(bool keepCurrent) {
    releaseLines();
    showLines(View::Upcoming,
              buildUpcomingLines(readRecords(), viewContext(), daysCheckedOrDefault(m_daysChecked)),
              keepCurrent);
}

void MainWindow::MatchSelectedLine(int row, bool upcoming) {
    const ReminderListModel* model = upcoming ? m_upcomingModel : m_allModel;
    const int record = model->recordAt(row);
    if (record < 1)
        return;
    // The line keeps the number of its record, so equal texts never stand for each other.
    m_session.setCurrent(record);
    LoadCurrentRecord();
}

} // namespace nudgewell
