#include "contracts/ui/EvidenteU.h"

#include "contracts/RegisterExports.h"
#include "contracts/ui/AddConU.h"
#include "contracts/ui/AddParcU.h"
#include "contracts/ui/EditorSupport.h"
#include "widgets/ResultSetModel.h"
#include "datastore/Error.h"
#include "datastore/Helpers.h"
#include "session/AdminSettings.h"
#include "widgets/DataGrid.h"
#include "widgets/NumberEdit.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

namespace ogx {

namespace {

const QString kCaption = QStringLiteral("Contracte de Ogorix");
const QString kAnyType = QStringLiteral("* indiferent *");

QList<GridColumn> contractColumns()
{
    auto c = [](const char *f, const char *t) { return GridColumn{QLatin1String(f), QLatin1String(t)}; };
    return {c("NRCON", "Numar"),           c("NRCPER", "/"),          c("DATACON", "Din data"),
            c("EXPIRA", "Data expirarii"), c("NRINREG", "Numarul"),   c("NRIPER", "/"),
            c("DATAINREG", "Din data"),    c("NUME1", "Nume si prenume"), c("CNP1", "CNP /Cod fiscal"),
            c("NUME2", "Nume si prenume"), c("CNP2", "CNP /Cod fiscal"), c("SUPRAFT", "Supraf.  -ha-"),
            c("VALOARE", "Valoare"),       c("TIPPLATA", "Tip Plata"), c("TELEFON", "Telefon"),
            c("EMAIL", "Email"),           c("OBS", "Observatii"),    c("NOTIFICARI", "Notificari")};
}

QList<GridColumn> parcelColumns()
{
    auto c = [](const char *f, const char *t) { return GridColumn{QLatin1String(f), QLatin1String(t)}; };
    return {c("ACT", "Act de proprietate"), c("TARLADEN", "Denumire"), c("TARLANR", "Numar"),
            c("PARCNR", "Numar"),           c("PARCDET", "Detalii"),   c("APARCNR", "Nr. parcela"),
            c("ACULTNR", "Nr. cultura"),    c("SUPRAF", "Supraf.  -ha-"), c("BLOCF", "Bloc Fizic"),
            c("NRCAD", "Nou"),              c("NrCADOld", "Vechi"),    c("CATEG", "Categoria"),
            c("CULTURA", "Cultura"),        c("SUPU", "Suprafata utila -ha-"), c("VECINN", "Nord"),
            c("VECINE", "Est"),             c("VECINS", "Sud"),        c("VECINV", "Vest"),
            c("LOCALIT", "Localitatea"),    c("SIRUTA", "Cod SIRUTA")};
}

QPushButton *makeButton(const char *name, const char *caption, QWidget *parent, const char *hint = nullptr)
{
    auto *b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    if (hint)
        b->setToolTip(QString::fromUtf8(hint));
    return b;
}

QLabel *titleLabel(const QString &text, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    l->setStyleSheet(QStringLiteral("background:#2f5d8a; color:white; padding:2px;"));
    return l;
}

} // namespace

TEvidente::TEvidente(const Workspace &ws, Database &db, Prompter &prompter, Progress &progress, ShellOpener &shell,
                     ExportXLSModel &reports, QWidget *parent)
    : QWidget(parent, Qt::Window), m_ws(ws), m_db(db), m_service(db), m_prompter(prompter), m_progress(progress),
      m_shell(shell), m_reports(reports), m_contractOrder(DefaultContractOrder()), m_parcelOrder(DefaultParcelOrder())
{
    setObjectName(QStringLiteral("Evidente"));
    setWindowTitle(kCaption);
    m_addCon = new TAddCon(m_service, prompter, this);
    m_addParc = new TAddParc(m_service, prompter, this);
    chooseFile = [this](const QString &title) { return QFileDialog::getOpenFileName(this, title); };
    buildForm();
    updateButtons();
}

TEvidente::~TEvidente() = default;

void TEvidente::buildForm()
{
    auto *root = new QVBoxLayout(this);
    auto *split = new QSplitter(Qt::Vertical, this);
    root->addWidget(split, 1);

    // Contracts.
    auto *upper = new QWidget(split);
    auto *ul = new QVBoxLayout(upper);
    ul->setContentsMargins(0, 0, 0, 0);
    ul->addWidget(titleLabel(QStringLiteral("  Lista Contracte"), upper));
    m_contracts = new ResultSetModel(contractColumns(), this);
    m_cx = new DataGrid(upper);
    m_cx->setObjectName(QStringLiteral("SMDBGrid1"));
    m_cx->setModel(m_contracts);
    m_cx->setTitleBands({{0, 4, QStringLiteral("Contract de Arenda")},
                         {4, 3, QStringLiteral("Inregistrat")},
                         {7, 2, QStringLiteral("Arendator")},
                         {9, 2, QStringLiteral("Arendas")}});
    m_cx->setColumnWidths({60, 40, 80, 90, 60, 40, 80, 180, 115, 180, 115, 80, 80, 70, 90, 120, 160, 160});
    ul->addWidget(m_cx, 1);

    // Search panel and contract commands.
    auto *panel = new QGroupBox(QStringLiteral("Cautare dupa:"), upper);
    auto *pl = new QGridLayout(panel);
    m_tipCon = new QComboBox(panel);
    m_tipCon->setObjectName(QStringLiteral("TipCon"));
    m_nume2F = new QComboBox(panel);
    m_nume2F->setObjectName(QStringLiteral("Nume2F"));
    m_nume1F = new QComboBox(panel);
    m_nume1F->setObjectName(QStringLiteral("Nume1F"));
    for (auto [combo, width] : {std::pair{m_nume2F, 250}, std::pair{m_nume1F, 40}}) {
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->lineEdit()->setMaxLength(width);
        makeUpper(combo->lineEdit());
        combo->setMinimumWidth(160);
    }
    m_nrCon = new NumberEdit(12, 0, false, panel);
    m_nrCon->setObjectName(QStringLiteral("NrCon"));
    m_nrCPer = new QLineEdit(panel);
    m_nrCPer->setObjectName(QStringLiteral("NrCPer"));
    m_nrInreg = new NumberEdit(12, 0, false, panel);
    m_nrInreg->setObjectName(QStringLiteral("NrInreg"));
    m_nrIPer = new QLineEdit(panel);
    m_nrIPer->setObjectName(QStringLiteral("NrIPer"));
    for (QLineEdit *e : {m_nrCPer, m_nrIPer}) {
        e->setMaxLength(12);
        makeUpper(e);
    }
    m_doarActive = new QCheckBox(QStringLiteral("Afiseaza doar contractele active"), panel);
    m_doarActive->setObjectName(QStringLiteral("DoarActive"));
    m_doarActive->setChecked(true);
    m_totalC = new QLabel(QStringLiteral("0"), panel);
    m_totalC->setObjectName(QStringLiteral("TotalC"));
    pl->addWidget(new QLabel(QStringLiteral("Tip Contract"), panel), 0, 0);
    pl->addWidget(m_tipCon, 0, 1);
    pl->addWidget(new QLabel(QStringLiteral("Arendas"), panel), 0, 2);
    pl->addWidget(m_nume2F, 0, 3);
    pl->addWidget(new QLabel(QStringLiteral("Arendator"), panel), 0, 4);
    pl->addWidget(m_nume1F, 0, 5);
    auto *contractBox = new QGroupBox(QStringLiteral("Contract"), panel);
    auto *cb = new QHBoxLayout(contractBox);
    cb->addWidget(new QLabel(QStringLiteral("Numar"), contractBox));
    cb->addWidget(m_nrCon);
    cb->addWidget(new QLabel(QStringLiteral(" / "), contractBox));
    cb->addWidget(m_nrCPer);
    cb->addWidget(new QLabel(QStringLiteral("Nr.inreg."), contractBox));
    cb->addWidget(m_nrInreg);
    cb->addWidget(new QLabel(QStringLiteral(" / "), contractBox));
    cb->addWidget(m_nrIPer);
    pl->addWidget(contractBox, 1, 0, 1, 4);
    pl->addWidget(m_doarActive, 1, 4);
    auto *tot = new QHBoxLayout;
    tot->addWidget(new QLabel(QStringLiteral("Contracte afisate:"), panel));
    tot->addWidget(m_totalC);
    tot->addStretch();
    pl->addLayout(tot, 1, 5);
    ul->addWidget(panel);

    auto *cmds = new QHBoxLayout;
    const QList<QPushButton *> contractButtons = {
        makeButton("Button1", "Adauga Contract", upper), makeButton("ModiConB", "Modifica Contract", upper),
        makeButton("DelConB", "Sterge Contract", upper),
        makeButton("CopyCon", "Fa o dublura", upper, "Adauga o dublura la Contractul selectat."),
        makeButton("ListConB", "Listeaza Contract", upper), makeButton("PlatiB", "Plati", upper),
        makeButton("TabConB", "Tabel Nominal", upper), makeButton("ExpConB", "Export in Excel", upper)};
    for (QPushButton *b : contractButtons)
        cmds->addWidget(b);
    cmds->addStretch();
    ul->addLayout(cmds);
    auto *att = new QHBoxLayout;
    att->addWidget(new QLabel(QStringLiteral("Fisier atasat:"), upper));
    m_fisAtL = new QLabel(upper);
    m_fisAtL->setObjectName(QStringLiteral("FisAtL"));
    m_fisAtL->setTextInteractionFlags(Qt::TextSelectableByMouse);
    att->addWidget(m_fisAtL, 1);
    att->addWidget(makeButton("ShowAt", "Arata", upper, "Deschide fisierul atasat."));
    att->addWidget(makeButton("EditAt", "Adauga", upper, "Indica un fisier de atasat."));
    att->addWidget(makeButton("DelAt", "Sterge", upper, "Anuleaza legatura cu fisierul atasat."));
    ul->addLayout(att);

    // Parcels and lessor details.
    auto *lower = new QWidget(split);
    auto *ll = new QVBoxLayout(lower);
    ll->setContentsMargins(0, 0, 0, 0);
    ll->addWidget(titleLabel(QStringLiteral("  Detalii Contract"), lower));
    auto *row = new QHBoxLayout;
    m_parcels = new ResultSetModel(parcelColumns(), this);
    m_dx = new DataGrid(lower);
    m_dx->setObjectName(QStringLiteral("SMDBGrid3"));
    m_dx->setModel(m_parcels);
    m_dx->setTitleBands({{1, 2, QStringLiteral("Tarla")},
                         {3, 2, QStringLiteral("Parcela")},
                         {5, 2, QStringLiteral("Identificare A.P.I.A.")},
                         {9, 2, QStringLiteral("Numar cadastral")},
                         {14, 4, QStringLiteral("Vecini")}});
    m_dx->setColumnWidths({110, 100, 60, 60, 60, 70, 70, 80, 70, 80, 80, 110, 90, 110, 90, 90, 90, 90, 100, 80});
    row->addWidget(m_dx, 1);
    auto *det = new QGroupBox(lower);
    auto *dl = new QFormLayout(det);
    auto detail = [&](const char *field, const char *label) {
        auto *v = new QLabel(det);
        v->setObjectName(u"Det" + QLatin1String(field));
        v->setTextInteractionFlags(Qt::TextSelectableByMouse);
        v->setWordWrap(true);
        dl->addRow(QLatin1String(label), v);
        m_details.append({QLatin1String(field), v});
    };
    detail("ACTP", "Act proprietate");
    dl->addRow(titleLabel(QStringLiteral("Detalii Arendator"), det));
    detail("MAMA", "Mama");
    detail("TATA", "Tata");
    detail("ADRESA1", "Adresa");
    detail("LOC1", "Localitatea");
    detail("JUD1", "Judetul");
    detail("CISERIA", "C.I. Seria");
    detail("CINR", "C.I. Numarul");
    detail("CIPOL", "C.I. Politia");
    det->setFixedWidth(260);
    row->addWidget(det);
    ll->addLayout(row, 1);
    auto *pcmds = new QHBoxLayout;
    for (QPushButton *b : {makeButton("AddSupB", "&Adauga Suprafata", lower),
                           makeButton("ModiSupB", "&Modifica Suprafata", lower),
                           makeButton("DelSupB", "&Sterge Suprafata", lower),
                           makeButton("COfB", "Cerere si oferta pentru vanzare", lower),
                           makeButton("ExpParcXLSB", "Export parcele in Excel", lower)})
        pcmds->addWidget(b);
    pcmds->addStretch();
    pcmds->addWidget(makeButton("Button8", "&Inchide", lower));
    ll->addLayout(pcmds);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    resize(1180, 760);

    // Wiring.
    const std::pair<const char *, void (TEvidente::*)()> commands[] = {
        {"Button1", &TEvidente::Button1Click},   {"ModiConB", &TEvidente::ModiConBClick},
        {"DelConB", &TEvidente::DelConBClick},   {"CopyCon", &TEvidente::CopyConClick},
        {"ListConB", &TEvidente::ListConBClick}, {"PlatiB", &TEvidente::PlatiBClick},
        {"TabConB", &TEvidente::TabConBClick},   {"ExpConB", &TEvidente::ExpConBClick},
        {"ShowAt", &TEvidente::ShowAtClick},     {"EditAt", &TEvidente::EditAtClick},
        {"DelAt", &TEvidente::DelAtClick},       {"AddSupB", &TEvidente::AddSupBClick},
        {"ModiSupB", &TEvidente::ModiSupBClick}, {"DelSupB", &TEvidente::DelSupBClick},
        {"COfB", &TEvidente::COfBClick},         {"ExpParcXLSB", &TEvidente::ExpParcXLSBClick}};
    for (const auto &[name, slot] : commands)
        connect(button(QLatin1String(name)), &QPushButton::clicked, this, slot);
    connect(button(QStringLiteral("Button8")), &QPushButton::clicked, this, &QWidget::close);

    connect(m_cx->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] {
        if (!m_loading)
            contractChanged();
    });
    connect(m_dx->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] {
        if (!m_loading)
            parcelChanged();
    });
    connect(m_cx, &DataGrid::rowActivated, this, [this] {
        if (button(QStringLiteral("ModiConB"))->isEnabled())
            ModiConBClick();
    });
    connect(m_dx, &DataGrid::rowActivated, this, [this] {
        if (button(QStringLiteral("ModiSupB"))->isEnabled())
            ModiSupBClick();
    });
    connect(m_cx, &DataGrid::titleClicked, this, &TEvidente::SMDBGrid1TitleClick);
    connect(m_dx, &DataGrid::titleClicked, this, &TEvidente::SMDBGrid3TitleClick);

    connect(m_tipCon, &QComboBox::currentIndexChanged, this, &TEvidente::Filtru);
    connect(m_nume2F, &QComboBox::editTextChanged, this, &TEvidente::Filtru);
    connect(m_nume1F, &QComboBox::editTextChanged, this, &TEvidente::Filtru);
    for (QLineEdit *e : {static_cast<QLineEdit *>(m_nrCon), m_nrCPer, static_cast<QLineEdit *>(m_nrInreg), m_nrIPer})
        connect(e, &QLineEdit::textChanged, this, &TEvidente::Filtru);
    connect(m_doarActive, &QCheckBox::toggled, this, &TEvidente::Filtru);

    // Enter in a search field moves to the next control.
    auto *enter = new EnterTab(this);
    for (QWidget *w : QList<QWidget *>{m_tipCon, m_nume2F, m_nume1F, m_nrCon, m_nrCPer, m_nrInreg, m_nrIPer,
                                       m_doarActive})
        enter->add(w);
}

// Controls of this window only (the editors, its children too, reuse some names).
QPushButton *TEvidente::button(const QString &name) const { return qobject_cast<QPushButton *>(control(name)); }

QWidget *TEvidente::control(const QString &name) const
{
    for (QWidget *w : findChildren<QWidget *>(name))
        if (w->window() == this)
            return w;
    return nullptr;
}
QString TEvidente::attachedFileText() const { return m_fisAtL->text(); }
QString TEvidente::totalText() const { return m_totalC->text(); }
int TEvidente::contractCount() const { return m_contracts->rowCount(); }
int TEvidente::parcelCount() const { return m_parcels->rowCount(); }

void TEvidente::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    updateButtons();
}

// --- lists --------------------------------------------------------------------------

RegisterFilter TEvidente::currentFilter() const
{
    RegisterFilter f;
    f.lessor = m_nume1F->currentText();
    f.lessee = m_nume2F->currentText();
    f.type = m_tipCon->currentIndex() > 0 ? m_tipCon->currentText() : QString();
    f.onlyActive = m_doarActive->isChecked();
    f.number = qint64(m_nrCon->value());
    f.suffix = m_nrCPer->text();
    f.regNumber = qint64(m_nrInreg->value());
    f.regSuffix = m_nrIPer->text();
    return f;
}

template <class F> void TEvidente::guarded(F &&f)
{
    try {
        f();
    } catch (const Error &e) {
        showError(e.message());
    }
}

void TEvidente::showError(const QString &message) { m_prompter.Mesaj(kCaption, message, ErrorKind, ButtonOk); }

void TEvidente::loadContracts(qint64 selectId, bool selectLast)
{
    m_loading = true;
    ResultSet rows;
    try {
        rows = m_service.listContracts(currentFilter(), m_contractOrder);
    } catch (const Error &e) {
        m_loading = false;
        m_contracts->setRows({});
        contractChanged();
        showError(e.message());
        return;
    }
    m_contracts->setRows(std::move(rows));
    int r = selectId >= 0 ? m_contracts->findRow(QStringLiteral("IDCON"), selectId) : -1;
    if (r < 0)
        r = selectLast ? m_contracts->rowCount() - 1 : 0;
    m_cx->selectRow(r);
    m_loading = false;
    contractChanged();
}

void TEvidente::loadParcels(qint64 selectParc)
{
    const auto c = selectedContract();
    m_loading = true;
    ResultSet rows;
    if (c) {
        try {
            rows = m_service.listParcels(c->IDCON, m_parcelOrder);
        } catch (const Error &e) {
            showError(e.message());
        }
    }
    m_parcels->setRows(std::move(rows));
    const int r = selectParc >= 0 ? m_parcels->findRow(QStringLiteral("IDPARC"), selectParc) : -1;
    m_dx->selectRow(r < 0 ? 0 : r);
    m_loading = false;
    parcelChanged();
}

void TEvidente::contractChanged()
{
    loadParcels(-1);
    const auto c = selectedContract();
    m_fisAtL->setText(c ? c->FISIER : QString());
    for (const auto &[field, label] : m_details) {
        const int row = m_cx->currentRow();
        label->setText(c ? m_contracts->rows().text(row, field) : QString());
    }
    m_totalC->setText(QString::number(m_contracts->rowCount()));
    updateButtons();
}

void TEvidente::parcelChanged() { updateButtons(); }

void TEvidente::updateButtons()
{
    const bool contract = m_cx && m_cx->currentRow() >= 0 && m_contracts->rowCount() > 0;
    const bool parcel = contract && m_dx->currentRow() >= 0 && m_parcels->rowCount() > 0;
    const bool attached = contract && !m_fisAtL->text().trimmed().isEmpty();
    auto set = [this](const char *name, bool on) {
        if (QPushButton *b = button(QLatin1String(name)))
            b->setEnabled(on);
    };
    set("Button1", !m_readOnly);
    for (const char *n : {"ModiConB", "DelConB", "CopyCon", "AddSupB"})
        set(n, contract && !m_readOnly);
    for (const char *n : {"ListConB", "PlatiB", "TabConB", "ExpConB", "EditAt"})
        set(n, contract);
    for (const char *n : {"ShowAt", "DelAt"})
        set(n, attached);
    for (const char *n : {"ModiSupB", "DelSupB"})
        set(n, parcel && !m_readOnly);
    for (const char *n : {"COfB", "ExpParcXLSB"})
        set(n, parcel);
    set("Button8", true);
}

std::optional<ContractRecord> TEvidente::selectedContract() const
{
    const int r = m_cx->currentRow();
    if (r < 0 || r >= m_contracts->rowCount())
        return std::nullopt;
    return contractFromRow(m_contracts->rows(), r);
}

std::optional<ParcelRecord> TEvidente::selectedParcel() const
{
    const int r = m_dx->currentRow();
    if (r < 0 || r >= m_parcels->rowCount())
        return std::nullopt;
    return parcelFromRow(m_parcels->rows(), r);
}

QList<ParcelRecord> TEvidente::contractParcels() const
{
    QList<ParcelRecord> out;
    for (int i = 0; i < m_parcels->rowCount(); ++i)
        out << parcelFromRow(m_parcels->rows(), i);
    return out;
}

bool TEvidente::selectContract(qint64 idcon)
{
    const int r = m_contracts->findRow(QStringLiteral("IDCON"), idcon);
    if (r < 0)
        return false;
    if (r != m_cx->currentRow()) {
        m_loading = true;
        m_cx->selectRow(r);
        m_loading = false;
        contractChanged();
    }
    return true;
}

bool TEvidente::selectParcel(qint64 idparc)
{
    const int r = m_parcels->findRow(QStringLiteral("IDPARC"), idparc);
    if (r < 0)
        return false;
    m_loading = true;
    m_dx->selectRow(r);
    m_loading = false;
    parcelChanged();
    return true;
}

// --- opening, filter ------------------------------------------------------------------------

void TEvidente::OpenRegister()
{
    m_contractOrder = DefaultContractOrder();
    m_parcelOrder = DefaultParcelOrder();
    ResetFilterPanel();
    loadContracts(-1, /*selectLast=*/true);
    if (m_main)
        m_main->setEnabled(false);
    show();
    raise();
    activateWindow();
}

void TEvidente::ReloadRegister()
{
    if (!isVisible())
        return;
    const auto c = selectedContract();
    loadContracts(c ? c->IDCON : -1, /*selectLast=*/!c);
}

void TEvidente::ResetFilterPanel()
{
    m_filterCount = 1; // the changes below do not filter
    auto fill = [this](QComboBox *combo, const char *field) {
        combo->clear();
        try {
            combo->addItems(m_service.distinctValues(QStringLiteral("Contract"), QLatin1String(field)));
        } catch (const Error &e) {
            showError(e.message());
        }
        combo->setEditText(QString());
    };
    fill(m_nume1F, "NUME1");
    fill(m_nume2F, "NUME2");
    m_tipCon->clear();
    m_tipCon->addItem(kAnyType);
    try {
        m_tipCon->addItems(m_service.distinctValues(QStringLiteral("Contract"), QStringLiteral("TIPCON")));
    } catch (const Error &e) {
        showError(e.message());
    }
    m_tipCon->setCurrentIndex(0);
    m_nrCon->clear();
    m_nrInreg->clear();
    m_nrCPer->clear();
    m_nrIPer->clear();
    m_filterCount = 0;
    Filtru();
}

void TEvidente::Filtru()
{
    if (++m_filterCount > 1)
        return; // a run is under way (or the panel is being reset): it runs once more
    loadContracts(-1, /*selectLast=*/false);
    QCoreApplication::processEvents();
    const int requests = m_filterCount;
    m_filterCount = 0;
    if (requests > 1)
        Filtru();
}

void TEvidente::SMDBGrid1TitleClick(int column)
{
    if (m_contracts->rowCount() <= 1)
        return;
    const QString order = ContractOrderFor(m_contracts->field(column));
    if (order.isEmpty())
        return;
    const auto c = selectedContract();
    m_contractOrder = order;
    loadContracts(c ? c->IDCON : -1, false);
}

void TEvidente::SMDBGrid3TitleClick(int column)
{
    if (m_parcels->rowCount() <= 1)
        return;
    const QString order = ParcelOrderFor(m_parcels->field(column));
    if (order.isEmpty())
        return;
    const auto p = selectedParcel();
    m_parcelOrder = order;
    loadParcels(p ? p->IDPARC : -1);
}

// --- contract commands -----------------------------------------------------------------------

bool TEvidente::askDocumentRebuild(qint64 idcon, const QString &title)
{
    return m_service.hasStoredDocument(idcon) &&
           m_prompter.Mesaj(title, QStringLiteral("Doriti sa refaceti vechiul contract scris?"), Confirmation,
                            ButtonYes | ButtonNo) == ResultYes;
}

void TEvidente::Button1Click()
{
    if (m_readOnly)
        return;
    guarded([&] {
        QStringList types;
        for (int i = 1; i < m_tipCon->count(); ++i)
            types << m_tipCon->itemText(i);
        m_addCon->setTypeItems(types);
        m_addCon->setAdminCounty(m_admin ? m_admin->judet : 0);
        if (!m_addCon->Execute(QStringLiteral("-1")))
            return;
        const qint64 id = m_service.addContract(m_addCon->values());
        ResetFilterPanel();
        selectContract(id);
        emit surfacesChanged();
    });
}

void TEvidente::ModiConBClick()
{
    const auto c = selectedContract();
    if (!c || m_readOnly)
        return;
    guarded([&] {
        m_addCon->ClearFields();
        QStringList types;
        for (int i = 1; i < m_tipCon->count(); ++i)
            types << m_tipCon->itemText(i);
        m_addCon->setTypeItems(types);
        m_addCon->setValues(*c);
        if (!m_addCon->Execute(QString::number(c->IDCON)))
            return;
        const bool rebuild = askDocumentRebuild(c->IDCON, QStringLiteral("Modificare Contract"));
        m_service.changeContract(c->IDCON, m_addCon->values(), rebuild);
        ResetFilterPanel();
        selectContract(c->IDCON);
        emit surfacesChanged();
    });
}

void TEvidente::DelConBClick()
{
    const auto c = selectedContract();
    if (!c || m_readOnly)
        return;
    if (m_prompter.Mesaj(QStringLiteral("Stergere Contract"), QStringLiteral("Doriti sa stergeti contractul selectat?"),
                         Confirmation, ButtonYes | ButtonNo) != ResultYes)
        return;
    guarded([&] {
        // The row to select afterwards: the next one, or the previous one at the end.
        qint64 next = -1;
        const int row = m_cx->currentRow();
        const int n = m_contracts->rowCount();
        if (n > 1) {
            const int r = row < n - 1 ? row + 1 : row - 1;
            next = m_contracts->rows().integer(r, QStringLiteral("IDCON"));
        }
        m_service.deleteContract(c->IDCON);
        ResetFilterPanel();
        if (next >= 0)
            selectContract(next);
        emit surfacesChanged();
    });
}

void TEvidente::CopyConClick()
{
    const auto c = selectedContract();
    if (!c || m_readOnly)
        return;
    if (m_prompter.Mesaj(QStringLiteral("Dublura Contract"),
                         u"\rDoriti sa adaugam o dublura la Contractul " % ContractReference(*c) % u" ?", Confirmation,
                         ButtonYes | ButtonNo) != ResultYes)
        return;
    guarded([&] {
        const qint64 id = m_service.duplicateContract(c->IDCON);
        loadContracts(id, false);
        emit surfacesChanged();
        m_prompter.Mesaj(QStringLiteral("Dublare contract"), QStringLiteral("\r Am adaugat o dublura la Contractul selectat."),
                         Information, ButtonOk);
    });
}

void TEvidente::ListConBClick()
{
    if (selectedContract())
        emit listContractRequested();
}

void TEvidente::COfBClick()
{
    if (selectedParcel())
        emit saleOfferRequested();
}

void TEvidente::PlatiBClick()
{
    if (const auto c = selectedContract())
        emit paymentsRequested(PaymentDetailsText(*c), c->IDCON);
}

// --- attached file -----------------------------------------------------------------------------

void TEvidente::EditAtClick()
{
    const auto c = selectedContract();
    if (!c || !chooseFile)
        return;
    const QString path = chooseFile(QStringLiteral("Alegeti fisierul"));
    if (path.isEmpty())
        return;
    guarded([&] {
        m_service.setAttachedFile(c->IDCON, path);
        loadContracts(c->IDCON, false);
    });
}

void TEvidente::DelAtClick()
{
    const auto c = selectedContract();
    if (!c)
        return;
    if (m_prompter.Mesaj(QStringLiteral("Sterge atasamentul"),
                         QStringLiteral("\rDoriti sa anulam legatura cu fisierul atasat?"), Confirmation,
                         ButtonYes | ButtonNo) != ResultYes)
        return;
    guarded([&] {
        m_service.setAttachedFile(c->IDCON, QString());
        loadContracts(c->IDCON, false);
    });
}

void TEvidente::ShowAtClick()
{
    const QString path = m_fisAtL->text();
    if (!path.trimmed().isEmpty() && QFileInfo(path).isFile())
        m_shell.open(path);
    else
        m_prompter.Mesaj(QStringLiteral("Deschidere fisier"), u"\rFisierul " % path % u" nu exista!", ErrorKind,
                         ButtonOk);
}

// --- exports -----------------------------------------------------------------------------------

void TEvidente::ExpConBClick()
{
    if (!selectedContract())
        return;
    guarded([&] {
        RegisterExportOptions opt;
        opt.filter = currentFilter();
        opt.order = m_contractOrder;
        opt.typeText = m_tipCon->currentText();
        opt.commune = m_admin ? m_admin->comuna : QString();
        m_lastExport = ExportContracts(m_ws, m_db, m_reports, opt);
    });
}

void TEvidente::TabConBClick()
{
    if (!selectedContract())
        return;
    guarded([&] {
        RegisterExportOptions opt;
        opt.filter = currentFilter();
        opt.order = m_contractOrder;
        try {
            m_lastExport = ExportNominalTable(m_ws, m_db, m_reports, opt, m_progress);
        } catch (...) {
            m_progress.ContorHide();
            throw;
        }
    });
}

void TEvidente::ExpParcXLSBClick()
{
    const auto c = selectedContract();
    if (!c)
        return;
    if (m_parcels->rowCount() == 0) {
        m_prompter.Mesaj(QStringLiteral("Export parcele"), NoParcelsText(), ErrorKind, ButtonOk);
        return;
    }
    guarded([&] { m_lastExport = ExportParcels(m_ws, m_db, m_reports, c->IDCON, m_parcelOrder); });
}

// --- parcel commands ---------------------------------------------------------------------------

void TEvidente::AddSupBClick()
{
    const auto c = selectedContract();
    if (!c || m_readOnly)
        return;
    guarded([&] {
        m_addParc->ClearFields();
        m_addParc->setContract(*c);
        if (!m_addParc->Execute(QStringLiteral("-1"), c->EXPIRA, c->DATACON))
            return;
        const bool rebuild = askDocumentRebuild(c->IDCON, QStringLiteral("Adaugare Suprafata"));
        const qint64 id = m_service.addParcel(c->IDCON, m_addParc->values(), rebuild);
        loadContracts(c->IDCON, false);
        selectParcel(id);
        emit surfacesChanged();
    });
}

void TEvidente::ModiSupBClick()
{
    const auto c = selectedContract();
    const auto p = selectedParcel();
    if (!c || !p || m_readOnly)
        return;
    guarded([&] {
        m_addParc->ClearFields();
        m_addParc->setContract(*c);
        m_addParc->setValues(parcelInputFrom(*p));
        if (!m_addParc->Execute(QString::number(p->IDPARC), c->EXPIRA, c->DATACON))
            return;
        const bool rebuild = askDocumentRebuild(c->IDCON, QStringLiteral("Modificare Suprafata"));
        m_service.changeParcel(p->IDPARC, m_addParc->values(), rebuild);
        loadContracts(c->IDCON, false);
        selectParcel(p->IDPARC);
        emit surfacesChanged();
    });
}

void TEvidente::DelSupBClick()
{
    const auto c = selectedContract();
    const auto p = selectedParcel();
    if (m_readOnly)
        return;
    if (!c || !p) {
        m_prompter.ShowProblemHint(QStringLiteral("Nu aveti ce sterge!"), m_dx);
        return;
    }
    if (m_prompter.Mesaj(QStringLiteral("Stergere Suprafata"), QStringLiteral("Stergeti suprafata selectata?"),
                         Confirmation, ButtonYes | ButtonNo) != ResultYes)
        return;
    guarded([&] {
        const bool rebuild = askDocumentRebuild(c->IDCON, QStringLiteral("Stergere Suprafata"));
        qint64 next = -1;
        const int row = m_dx->currentRow();
        const int n = m_parcels->rowCount();
        if (n > 1)
            next = m_parcels->rows().integer(row < n - 1 ? row + 1 : row - 1, QStringLiteral("IDPARC"));
        m_service.deleteParcel(p->IDPARC, rebuild);
        loadContracts(c->IDCON, false);
        if (next >= 0)
            selectParcel(next);
        emit surfacesChanged();
    });
}

// --- window -------------------------------------------------------------------------------------

void TEvidente::closeEvent(QCloseEvent *event)
{
    m_contracts->setRows({});
    m_parcels->setRows({});
    if (m_main)
        m_main->setEnabled(true);
    QWidget::closeEvent(event);
    emit closed();
}

void TEvidente::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace ogx
