#include "contracts/ui/AddParcU.h"

#include "contracts/ui/EditorSupport.h"
#include "widgets/NumberEdit.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include "widgets/DialogButtons.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace ogx {

namespace {

QLineEdit *textInput(const char *name, int maxLength, QWidget *parent)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setMaxLength(maxLength);
    makeUpper(e);
    return e;
}

QComboBox *listInput(const char *name, int maxLength, QWidget *parent)
{
    auto *c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->lineEdit()->setMaxLength(maxLength);
    makeUpper(c->lineEdit());
    return c;
}

NumberEdit *numberInput(const char *name, int digits, int decimals, bool negative, QWidget *parent)
{
    auto *n = new NumberEdit(digits, decimals, negative, parent);
    n->setObjectName(QLatin1String(name));
    return n;
}


} // namespace

TAddParc::TAddParc(ContractService &service, Prompter &prompter, QWidget *parent)
    : QDialog(parent), m_service(service), m_prompter(prompter)
{
    setObjectName(QStringLiteral("AddParc"));
    setModal(true);
    buildForm();
}

void TAddParc::buildForm()
{
    setWindowTitle(QStringLiteral("Contracte de Ogorix"));
    auto *root = new QVBoxLayout(this);
    auto *heading = new QLabel(QStringLiteral("Adaugare Parcela"), this);
    QFont f = heading->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.3);
    heading->setFont(f);
    root->addWidget(heading);

    auto *head = new QGridLayout;
    m_contractL = new QLabel(this);
    m_contractL->setObjectName(QStringLiteral("ContractL"));
    m_dataL = new QLabel(this);
    m_dataL->setObjectName(QStringLiteral("DataL"));
    m_nume1L = new QLabel(this);
    m_nume1L->setObjectName(QStringLiteral("Nume1L"));
    m_nume2L = new QLabel(this);
    m_nume2L->setObjectName(QStringLiteral("Nume2L"));
    head->addWidget(m_contractL, 0, 0);
    head->addWidget(m_dataL, 0, 1);
    head->addWidget(new QLabel(QStringLiteral("Arendator"), this), 1, 0);
    head->addWidget(m_nume1L, 1, 1);
    head->addWidget(new QLabel(QStringLiteral("Arendas"), this), 2, 0);
    head->addWidget(m_nume2L, 2, 1);
    head->setColumnStretch(2, 1);
    root->addLayout(head);

    auto *g = new QGridLayout;
    m_act = textInput("Act", 32, this);
    m_tarlaDen = listInput("TarlaDen", 32, this);
    m_tarlaNr = textInput("TarlaNr", 32, this);
    m_parcNr = numberInput("ParcNr", 10, 0, false, this);
    m_parcDet = textInput("ParcDet", 20, this);
    m_blocF = numberInput("BlocF", 10, 0, false, this);
    m_nrCad = textInput("NrCad", 30, this);
    m_nrCadOld = textInput("NrCadOld", 30, this);
    // The surface columns hold 5 whole digits and 4 decimals.
    m_supraf = numberInput("Supraf", 5, 4, true, this);
    m_supraf->setMaxLength(11);
    m_supu = numberInput("Supu", 5, 4, false, this);
    m_categ = new QComboBox(this);
    m_categ->setObjectName(QStringLiteral("Categ"));
    m_categ->addItems(LandCategories());
    m_cultura = listInput("Cultura", 32, this);
    m_localit = listInput("Localit", 32, this);
    m_siruta = listInput("Siruta", 6, this);
    m_aparcNr = numberInput("APARCNR", 6, 0, false, this);
    m_vecinN = textInput("VecinN", 100, this);
    m_vecinE = textInput("VecinE", 100, this);
    m_vecinS = textInput("VecinS", 100, this);
    m_vecinV = textInput("VecinV", 100, this);
    m_acultNr = listInput("ACultNr", 4, this);
    m_acultNr->setCompleter(nullptr);
    m_acultNr->setMaxVisibleItems(12);

    int r = 0;
    g->addWidget(new QLabel(QStringLiteral("Act de proprietate"), this), r, 0);
    g->addWidget(m_act, r++, 1, 1, 3);
    g->addWidget(new QLabel(QStringLiteral("Denumirea tarlalei"), this), r, 0);
    g->addWidget(m_tarlaDen, r, 1);
    g->addWidget(new QLabel(QStringLiteral("Tarlaua numarul"), this), r, 2);
    g->addWidget(m_tarlaNr, r++, 3);
    g->addWidget(new QLabel(QStringLiteral("Parcela numarul"), this), r, 0);
    g->addWidget(m_parcNr, r, 1);
    g->addWidget(new QLabel(QStringLiteral("/"), this), r, 2);
    g->addWidget(m_parcDet, r++, 3);
    g->addWidget(new QLabel(QStringLiteral("Bloc Fizic"), this), r, 0);
    g->addWidget(m_blocF, r++, 1);
    g->addWidget(new QLabel(QStringLiteral("Numar cadastral"), this), r, 0);
    g->addWidget(new QLabel(QStringLiteral("Nou"), this), r, 1);
    g->addWidget(new QLabel(QStringLiteral("Vechi"), this), r++, 3);
    g->addWidget(m_nrCad, r, 1);
    g->addWidget(m_nrCadOld, r++, 3);
    g->addWidget(new QLabel(QStringLiteral("Suprafata - HA"), this), r, 0);
    g->addWidget(m_supraf, r, 1);
    g->addWidget(new QLabel(QStringLiteral("Suprafata utila - HA"), this), r, 2);
    g->addWidget(m_supu, r++, 3);
    g->addWidget(new QLabel(QStringLiteral("Categoria de folosinta"), this), r, 0);
    g->addWidget(m_categ, r, 1);
    g->addWidget(new QLabel(QStringLiteral("Cultura"), this), r, 2);
    g->addWidget(m_cultura, r++, 3);
    g->addWidget(new QLabel(QStringLiteral("Localitatea"), this), r, 0);
    g->addWidget(m_localit, r, 1);
    g->addWidget(new QLabel(QStringLiteral("Cod SIRUTA"), this), r, 2);
    g->addWidget(m_siruta, r++, 3);
    g->setColumnStretch(1, 1);
    g->setColumnStretch(3, 1);
    root->addLayout(g);

    auto *apia = new QGroupBox(QStringLiteral("Identificare A.P.I.A."), this);
    auto *a = new QHBoxLayout(apia);
    a->addWidget(new QLabel(QStringLiteral("Numar parcela"), apia));
    a->addWidget(m_aparcNr);
    a->addWidget(new QLabel(QStringLiteral("Numar cultura"), apia));
    a->addWidget(m_acultNr);
    root->addWidget(apia);

    auto *vecini = new QGroupBox(QStringLiteral("Vecini"), this);
    auto *v = new QGridLayout(vecini);
    v->addWidget(new QLabel(QStringLiteral("Nord"), vecini), 0, 0);
    v->addWidget(m_vecinN, 0, 1);
    v->addWidget(new QLabel(QStringLiteral("Est"), vecini), 1, 0);
    v->addWidget(m_vecinE, 1, 1);
    v->addWidget(new QLabel(QStringLiteral("Sud"), vecini), 2, 0);
    v->addWidget(m_vecinS, 2, 1);
    v->addWidget(new QLabel(QStringLiteral("Vest"), vecini), 3, 0);
    v->addWidget(m_vecinV, 3, 1);
    root->addWidget(vecini);

    const DialogButtons buttons = makeDialogButtons(this, QStringLiteral("&Memoreaza"));
    m_memo = buttons.memo;
    m_close = buttons.close;
    root->addLayout(buttons.layout);
    connect(m_memo, &QPushButton::clicked, this, &TAddParc::MemoButClick);
    // The usable surface follows the surface until it is changed afterwards.
    connect(m_supraf, &QLineEdit::textChanged, m_supu, &QLineEdit::setText);

    m_enter = new EnterTab(this);
    QWidget *prev = nullptr;
    for (QWidget *w : QList<QWidget *>{m_act, m_tarlaDen, m_tarlaNr, m_parcNr, m_parcDet, m_blocF, m_nrCad,
                                       m_nrCadOld, m_supraf, m_supu, m_categ, m_cultura, m_localit, m_siruta,
                                       m_aparcNr, m_vecinN, m_vecinE, m_vecinS, m_vecinV, m_acultNr}) {
        m_enter->add(w);
        if (prev)
            setTabOrder(prev, w);
        prev = w;
    }
    setTabOrder(m_acultNr, m_memo);
    setTabOrder(m_memo, m_close);
}

QWidget *TAddParc::input(const QString &name) const { return findChild<QWidget *>(name); }

void TAddParc::ClearFields()
{
    auto reload = [this](QComboBox *c, const char *field) {
        c->clear();
        c->addItems(m_service.distinctValues(QStringLiteral("Parcele"), QLatin1String(field)));
    };
    reload(m_tarlaDen, "TARLADEN");
    reload(m_cultura, "CULTURA");
    reload(m_localit, "LOCALIT");
    reload(m_siruta, "SIRUTA");
    reload(m_acultNr, "ACULTNR");
    for (QLineEdit *e : {m_act, m_tarlaNr, m_parcDet, m_nrCad, m_nrCadOld, m_vecinN, m_vecinE, m_vecinS, m_vecinV})
        e->clear();
    for (QComboBox *c : {m_tarlaDen, m_cultura, m_localit, m_siruta})
        c->setEditText(QString());
    m_parcNr->setText(QStringLiteral("0"));
    m_blocF->setText(QStringLiteral("0"));
    m_supraf->setText(QStringLiteral("0"));
    m_supu->setText(QStringLiteral("0"));
    m_aparcNr->setText(QStringLiteral("0"));
    m_categ->setCurrentIndex(0);
    // The smallest existing culture number, or nothing.
    m_acultNr->setEditText(m_acultNr->count() > 0 ? m_acultNr->itemText(0) : QString());
}

void TAddParc::setContract(const ContractRecord &c)
{
    QString nr = u"CONTRACT Nr." + QString::number(c.NRCON);
    if (!c.NRCPER.trimmed().isEmpty())
        nr += u'/' + c.NRCPER;
    m_contractL->setText(nr);
    m_dataL->setText(u"/" + (c.DATACON.isValid() ? c.DATACON.toString(QStringLiteral("dd.MM.yyyy")) : QString()));
    m_nume1L->setText(c.NUME1);
    m_nume2L->setText(c.NUME2);
}

void TAddParc::setValues(const ParcelInput &p)
{
    m_act->setText(p.ACT);
    m_tarlaDen->setEditText(p.TARLADEN);
    m_tarlaNr->setText(p.TARLANR);
    m_parcNr->setText(QString::number(p.PARCNR));
    m_parcDet->setText(p.PARCDET);
    m_blocF->setText(QString::number(p.BLOCF));
    m_nrCad->setText(p.NRCAD);
    m_nrCadOld->setText(p.NRCADOLD);
    m_supraf->setText(numberText(p.SUPRAF)); // before the usable surface, which it copies into
    m_supu->setText(numberText(p.SUPU));
    const int cat = m_categ->findText(p.CATEG, Qt::MatchFixedString);
    m_categ->setCurrentIndex(cat);
    m_cultura->setEditText(p.CULTURA);
    m_localit->setEditText(p.LOCALIT);
    m_siruta->setEditText(p.SIRUTA);
    m_aparcNr->setText(QString::number(p.APARCNR));
    m_vecinN->setText(p.VECINN);
    m_vecinE->setText(p.VECINE);
    m_vecinS->setText(p.VECINS);
    m_vecinV->setText(p.VECINV);
    m_acultNr->setEditText(p.ACULTNR);
}

ParcelInput TAddParc::values() const
{
    ParcelInput p;
    p.ACT = m_act->text();
    p.TARLADEN = m_tarlaDen->currentText();
    p.TARLANR = m_tarlaNr->text();
    p.PARCNR = qint64(m_parcNr->value());
    p.PARCDET = m_parcDet->text();
    p.BLOCF = qint64(m_blocF->value());
    p.NRCAD = m_nrCad->text();
    p.NRCADOLD = m_nrCadOld->text();
    p.SUPRAF = m_supraf->value();
    p.SUPU = m_supu->value();
    p.CATEG = m_categ->currentText();
    p.CULTURA = m_cultura->currentText();
    p.LOCALIT = m_localit->currentText();
    p.SIRUTA = m_siruta->currentText();
    p.APARCNR = qint64(m_aparcNr->value());
    p.VECINN = m_vecinN->text();
    p.VECINE = m_vecinE->text();
    p.VECINS = m_vecinS->text();
    p.VECINV = m_vecinV->text();
    p.ACULTNR = m_acultNr->currentText();
    return p;
}

void TAddParc::prepare(const QString &id, const QDate &expira, const QDate &datacon)
{
    m_result = false;
    m_id = id.trimmed().toLongLong();
    if (m_id == 0)
        m_id = -1;
    m_expira = expira;
    m_datacon = datacon;
    m_act->setFocus();
}

bool TAddParc::Execute(const QString &id, const QDate &expira, const QDate &datacon)
{
    prepare(id, expira, datacon);
    exec();
    return m_result;
}

void TAddParc::MemoButClick()
{
    ParcelInput p = values();
    const CheckOutcome out = m_service.checkParcel(p, m_id, m_datacon, m_expira);
    // The inputs show the cleaned texts and normalised numbers.
    m_blocF->setText(QString::number(p.BLOCF));
    m_aparcNr->setText(QString::number(p.APARCNR));
    m_supu->setText(numberText(p.SUPU));
    for (auto [edit, value] : {std::pair{m_nrCad, p.NRCAD}, std::pair{m_nrCadOld, p.NRCADOLD}, std::pair{m_act, p.ACT},
                               std::pair{m_tarlaNr, p.TARLANR}, std::pair{m_vecinN, p.VECINN},
                               std::pair{m_vecinE, p.VECINE}, std::pair{m_vecinS, p.VECINS},
                               std::pair{m_vecinV, p.VECINV}})
        edit->setText(value);
    m_tarlaDen->setEditText(p.TARLADEN);
    m_acultNr->setEditText(p.ACULTNR);
    m_localit->setEditText(p.LOCALIT);
    m_siruta->setEditText(p.SIRUTA);
    if (!ConfirmOutcome(m_prompter, out, [this](const QString &name) { return input(name); }))
        return;
    m_parcNr->setText(QString::number(p.PARCNR));
    m_parcDet->setText(p.PARCDET);
    m_result = true;
    accept();
}

} // namespace ogx
