#include "contracts/ui/AddConU.h"

#include "contracts/ui/EditorSupport.h"
#include "widgets/NumberEdit.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include "widgets/DialogButtons.h"

#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

namespace ogx {

namespace {

QLineEdit *textInput(const char *name, int maxLength, bool upper, QWidget *parent)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setMaxLength(maxLength);
    if (upper)
        makeUpper(e);
    return e;
}

QComboBox *comboInput(const char *name, bool editable, int maxLength, QWidget *parent)
{
    auto *c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    c->setEditable(editable);
    if (editable) {
        c->setInsertPolicy(QComboBox::NoInsert);
        c->lineEdit()->setMaxLength(maxLength);
        makeUpper(c->lineEdit());
    }
    return c;
}

QDateEdit *dateInput(const char *name, QWidget *parent)
{
    auto *d = new QDateEdit(parent);
    d->setObjectName(QLatin1String(name));
    d->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    d->setCalendarPopup(true);
    d->setMinimumDate(QDate(1900, 1, 1));
    return d;
}

void limitPlainText(QPlainTextEdit *edit, int maxLength)
{
    QObject::connect(edit, &QPlainTextEdit::textChanged, edit, [edit, maxLength] {
        const QString t = edit->toPlainText();
        if (t.size() > maxLength) {
            edit->setPlainText(t.left(maxLength));
            edit->moveCursor(QTextCursor::End);
        }
    });
}


} // namespace

TAddCon::TAddCon(ContractService &service, Prompter &prompter, QWidget *parent)
    : QDialog(parent), m_service(service), m_prompter(prompter)
{
    setObjectName(QStringLiteral("AddCon"));
    setModal(true);
    buildForm();
    m_jud2->setCurrentIndex(0); // "ALBA" before any use
    m_tipPlata->setCurrentIndex(0);
}

void TAddCon::buildForm()
{
    setWindowTitle(QStringLiteral("Adaugare Contract"));
    auto *root = new QVBoxLayout(this);
    m_heading = new QLabel(QStringLiteral("Adaugare Contract"), this);
    m_heading->setObjectName(QStringLiteral("Heading"));
    QFont f = m_heading->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.3);
    m_heading->setFont(f);
    root->addWidget(m_heading);

    // Contract
    auto *contract = new QGroupBox(QStringLiteral("Contract"), this);
    auto *g = new QGridLayout(contract);
    m_tipCon = comboInput("TipCon", true, 32, contract);
    m_nrCon = new NumberEdit(12, 0, false, contract);
    m_nrCon->setObjectName(QStringLiteral("NrCon"));
    m_nrcPer = textInput("NRCPER", 12, true, contract);
    m_dataCon = dateInput("DataCon", contract);
    m_expira = dateInput("Expira", contract);
    m_nrInreg = new NumberEdit(12, 0, false, contract);
    m_nrInreg->setObjectName(QStringLiteral("NrInreg"));
    m_nriPer = textInput("NRIPER", 12, true, contract);
    m_dataInreg = dateInput("DataInreg", contract);
    m_tipCon->setMinimumWidth(220);
    for (QWidget *w : {static_cast<QWidget *>(m_nrCon), static_cast<QWidget *>(m_nrInreg)})
        w->setMinimumWidth(110);
    for (QWidget *w : {m_nrcPer, m_nriPer})
        w->setMinimumWidth(80);
    g->addWidget(new QLabel(QStringLiteral("Tip Contract"), contract), 0, 0);
    g->addWidget(m_tipCon, 0, 1, 1, 3);
    g->addWidget(new QLabel(QStringLiteral("Numar contract"), contract), 1, 0);
    g->addWidget(m_nrCon, 1, 1);
    g->addWidget(new QLabel(QStringLiteral(" / "), contract), 1, 2);
    g->addWidget(m_nrcPer, 1, 3);
    g->addWidget(new QLabel(QStringLiteral("Din data"), contract), 1, 4);
    g->addWidget(m_dataCon, 1, 5);
    g->addWidget(new QLabel(QStringLiteral("Valabil pana la"), contract), 1, 6);
    g->addWidget(m_expira, 1, 7);
    g->addWidget(new QLabel(QStringLiteral("Nr. inregistrare"), contract), 2, 0);
    g->addWidget(m_nrInreg, 2, 1);
    g->addWidget(new QLabel(QStringLiteral(" / "), contract), 2, 2);
    g->addWidget(m_nriPer, 2, 3);
    g->addWidget(new QLabel(QStringLiteral("Data Inregistrarii"), contract), 2, 4);
    g->addWidget(m_dataInreg, 2, 5);
    root->addWidget(contract);

    // Lessor
    auto *lessor = new QGroupBox(QStringLiteral("Arendator"), this);
    auto *l = new QGridLayout(lessor);
    m_nume1 = textInput("Nume1", 40, true, lessor);
    m_cnp1 = textInput("CNP1", 13, true, lessor);
    m_adresa1 = textInput("Adresa1", 80, true, lessor);
    m_loc1 = textInput("Loc1", 24, true, lessor);
    m_jud1 = comboInput("Jud1", false, 0, lessor);
    m_jud1->addItems(CountyList());
    m_mama = textInput("Mama", 24, true, lessor);
    m_tata = textInput("Tata", 24, true, lessor);
    m_ciSeria = textInput("CISeria", 4, true, lessor);
    m_ciNr = textInput("CINr", 10, true, lessor);
    m_ciPol = textInput("CIPol", 32, true, lessor);
    m_actP = textInput("ActP", 240, true, lessor);
    m_telefon = textInput("Telefon", 25, true, lessor);
    m_email = textInput("Email", 25, false, lessor);
    int r = 0;
    l->addWidget(new QLabel(QStringLiteral("Numele si prenumele"), lessor), r, 0);
    l->addWidget(m_nume1, r, 1, 1, 3);
    l->addWidget(new QLabel(QStringLiteral("C.N.P./Cod Fiscal"), lessor), r, 4);
    m_cnp1->setMinimumWidth(130);
    l->addWidget(m_cnp1, r++, 5);
    l->addWidget(new QLabel(QStringLiteral("Adresa"), lessor), r, 0);
    l->addWidget(m_adresa1, r, 1, 1, 3);
    l->addWidget(new QLabel(QStringLiteral("Localitatea"), lessor), r, 4);
    l->addWidget(m_loc1, r++, 5);
    l->addWidget(new QLabel(QStringLiteral("Judetul"), lessor), r, 0);
    l->addWidget(m_jud1, r, 1);
    l->addWidget(new QLabel(QStringLiteral("Mama"), lessor), r, 2);
    l->addWidget(m_mama, r, 3);
    l->addWidget(new QLabel(QStringLiteral("Tata"), lessor), r, 4);
    l->addWidget(m_tata, r++, 5);
    l->addWidget(new QLabel(QStringLiteral("C.I.Seria"), lessor), r, 0);
    l->addWidget(m_ciSeria, r, 1);
    l->addWidget(new QLabel(QStringLiteral("C.I.Nr."), lessor), r, 2);
    l->addWidget(m_ciNr, r, 3);
    l->addWidget(new QLabel(QStringLiteral("C.I.Politia"), lessor), r, 4);
    l->addWidget(m_ciPol, r++, 5);
    l->addWidget(new QLabel(QStringLiteral("Act de Proprietate"), lessor), r, 0);
    l->addWidget(m_actP, r++, 1, 1, 5);
    l->addWidget(new QLabel(QStringLiteral("Telefon"), lessor), r, 0);
    l->addWidget(m_telefon, r, 1);
    l->addWidget(new QLabel(QStringLiteral("Email"), lessor), r, 2);
    l->addWidget(m_email, r++, 3);
    root->addWidget(lessor);

    // Lessee
    auto *lessee = new QGroupBox(QStringLiteral("Arendas"), this);
    auto *e = new QGridLayout(lessee);
    m_nume2 = comboInput("Nume2", true, 250, lessee);
    m_cnp2 = textInput("CNP2", 13, true, lessee);
    m_adresa2 = textInput("Adresa2", 80, false, lessee);
    m_loc2 = textInput("Loc2", 24, false, lessee);
    m_jud2 = comboInput("Jud2", false, 0, lessee);
    m_jud2->addItems(CountyList());
    e->addWidget(new QLabel(QStringLiteral("Numele si prenumele"), lessee), 0, 0);
    m_nume2->setMinimumWidth(300);
    m_adresa2->setMinimumWidth(200);
    e->addWidget(m_nume2, 0, 1, 1, 3);
    e->addWidget(new QLabel(QStringLiteral("C.N.P./Cod Fiscal"), lessee), 0, 4);
    m_cnp2->setMinimumWidth(130);
    e->addWidget(m_cnp2, 0, 5);
    e->addWidget(new QLabel(QStringLiteral("Adresa"), lessee), 1, 0);
    e->addWidget(m_adresa2, 1, 1);
    e->addWidget(new QLabel(QStringLiteral("Loc."), lessee), 1, 2);
    e->addWidget(m_loc2, 1, 3);
    e->addWidget(new QLabel(QStringLiteral("Jud."), lessee), 1, 4);
    e->addWidget(m_jud2, 1, 5);
    root->addWidget(lessee);

    // Value and notes
    auto *rest = new QGridLayout;
    // The column holds 7 whole digits and 4 decimals: a longer value could not be stored.
    m_valoare = new NumberEdit(7, 4, false, this);
    m_valoare->setObjectName(QStringLiteral("Valoare"));
    m_valoare->setMaxLength(12);
    m_tipPlata = comboInput("TipPlata", false, 0, this);
    m_tipPlata->addItems(PaymentKinds());
    m_obs = new QPlainTextEdit(this);
    m_obs->setObjectName(QStringLiteral("Obs"));
    m_obs->setTabChangesFocus(true);
    limitPlainText(m_obs, 254);
    m_notificari = new QPlainTextEdit(this);
    m_notificari->setObjectName(QStringLiteral("Notificari"));
    m_notificari->setTabChangesFocus(true);
    limitPlainText(m_notificari, 200);
    m_obs->setFixedHeight(48);
    m_notificari->setFixedHeight(48);
    rest->addWidget(new QLabel(QStringLiteral("Valoare Contract"), this), 0, 0);
    m_valoare->setMaximumWidth(160);
    rest->addWidget(m_valoare, 0, 1);
    rest->addWidget(m_tipPlata, 0, 2);
    rest->addWidget(new QLabel(QStringLiteral("Observatii"), this), 1, 0);
    rest->addWidget(m_obs, 1, 1, 1, 3);
    rest->addWidget(new QLabel(QStringLiteral("Notificari"), this), 2, 0);
    rest->addWidget(m_notificari, 2, 1, 1, 3);
    root->addLayout(rest);

    const DialogButtons buttons = makeDialogButtons(this, QStringLiteral("&Memoreaza"));
    m_memo = buttons.memo;
    m_close = buttons.close;
    root->addLayout(buttons.layout);
    connect(m_memo, &QPushButton::clicked, this, &TAddCon::MemoButClick);
    connect(m_nume2, qOverload<int>(&QComboBox::activated), this, &TAddCon::lesseeChosen);

    // Tab order; Enter moves on except in the type and the two notes.
    m_enter = new EnterTab(this);
    const QList<std::pair<QWidget *, bool>> order = {
        {m_tipCon, false}, {m_nrCon, true},   {m_nrcPer, true},  {m_dataCon, true},   {m_expira, true},
        {m_nrInreg, true}, {m_nriPer, true},  {m_dataInreg, true}, {m_nume1, true},   {m_cnp1, true},
        {m_adresa1, true}, {m_loc1, true},    {m_jud1, true},    {m_mama, true},      {m_tata, true},
        {m_ciSeria, true}, {m_ciNr, true},    {m_ciPol, true},   {m_actP, true},      {m_telefon, true},
        {m_email, true},   {m_nume2, true},   {m_cnp2, true},    {m_adresa2, true},   {m_loc2, true},
        {m_jud2, true},    {m_valoare, true}, {m_tipPlata, true}, {m_obs, false},     {m_notificari, false},
        {m_memo, false},   {m_close, false}};
    QWidget *prev = nullptr;
    for (const auto &[w, enter] : order) {
        m_enter->add(w, enter);
        if (prev)
            setTabOrder(prev, w);
        prev = w;
    }
}

QWidget *TAddCon::input(const QString &name) const
{
    if (name == objectName())
        return const_cast<TAddCon *>(this);
    return findChild<QWidget *>(name);
}

void TAddCon::setTypeItems(const QStringList &types)
{
    const QString text = m_tipCon->currentText();
    m_tipCon->clear();
    m_tipCon->addItems(types);
    m_tipCon->setEditText(text);
}

void TAddCon::ClearFields()
{
    const QDate today = m_service.today();
    m_nrCon->clear();
    m_nrcPer->clear();
    m_dataCon->setDate(today);
    m_expira->setDate(today);
    m_nrInreg->clear();
    m_nriPer->clear();
    m_dataInreg->setDate(today);
    for (QLineEdit *e : {m_nume1, m_cnp1, m_adresa1, m_loc1, m_mama, m_tata, m_ciSeria, m_ciNr, m_ciPol, m_actP,
                         m_telefon, m_email, m_cnp2})
        e->clear();
    m_jud1->setCurrentIndex(qBound(0, m_adminCounty, int(m_jud1->count()) - 1));
    m_nume2->clear();
    m_nume2->addItems(m_service.distinctValues(QStringLiteral("Contract"), QStringLiteral("NUME2")));
    m_nume2->setEditText(QString());
    m_valoare->setText(QStringLiteral("0"));
    m_tipPlata->setCurrentIndex(0);
    m_obs->clear();
    m_notificari->clear();
}

void TAddCon::setValues(const ContractInput &c)
{
    SelectComboItem(m_tipCon, c.TIPCON);
    if (m_tipCon->currentIndex() < 0)
        m_tipCon->setEditText(c.TIPCON);
    m_nrCon->setText(c.NRCON == 0 ? QString() : QString::number(c.NRCON));
    m_nrcPer->setText(c.NRCPER);
    m_dataCon->setDate(c.DATACON);
    m_expira->setDate(c.EXPIRA);
    m_nrInreg->setText(c.NRINREG == 0 ? QString() : QString::number(c.NRINREG));
    m_nriPer->setText(c.NRIPER);
    m_dataInreg->setDate(c.DATAINREG);
    m_nume1->setText(c.NUME1);
    m_cnp1->setText(c.CNP1);
    m_adresa1->setText(c.ADRESA1);
    m_loc1->setText(c.LOC1);
    SelectComboItem(m_jud1, c.JUD1);
    m_mama->setText(c.MAMA);
    m_tata->setText(c.TATA);
    m_ciSeria->setText(c.CISERIA);
    m_ciNr->setText(c.CINR);
    m_ciPol->setText(c.CIPOL);
    m_actP->setText(c.ACTP);
    m_telefon->setText(c.TELEFON);
    m_email->setText(c.EMAIL);
    m_nume2->setEditText(c.NUME2);
    m_cnp2->setText(c.CNP2);
    m_adresa2->setText(c.ADRESA2);
    m_loc2->setText(c.LOC2);
    SelectComboItem(m_jud2, c.JUD2);
    m_valoare->setText(numberText(c.VALOARE));
    SelectComboItem(m_tipPlata, c.TIPPLATA);
    m_obs->setPlainText(c.OBS);
    m_notificari->setPlainText(c.NOTIFICARI);
}

ContractInput TAddCon::values() const
{
    ContractInput c;
    c.IDCON = m_id;
    c.TIPCON = m_tipCon->currentText();
    c.NRCON = qint64(m_nrCon->value());
    c.NRCPER = m_nrcPer->text();
    c.DATACON = m_dataCon->date();
    c.EXPIRA = m_expira->date();
    c.NRINREG = qint64(m_nrInreg->value());
    c.NRIPER = m_nriPer->text();
    c.DATAINREG = m_dataInreg->date();
    c.NUME1 = m_nume1->text();
    c.CNP1 = m_cnp1->text();
    c.ADRESA1 = m_adresa1->text();
    c.LOC1 = m_loc1->text();
    c.JUD1 = m_jud1->currentText();
    c.MAMA = m_mama->text();
    c.TATA = m_tata->text();
    c.CISERIA = m_ciSeria->text();
    c.CINR = m_ciNr->text();
    c.CIPOL = m_ciPol->text();
    c.ACTP = m_actP->text();
    c.TELEFON = m_telefon->text();
    c.EMAIL = m_email->text();
    c.NUME2 = m_nume2->currentText();
    c.CNP2 = m_cnp2->text();
    c.ADRESA2 = m_adresa2->text();
    c.LOC2 = m_loc2->text();
    c.JUD2 = m_jud2->currentIndex() < 0 ? QString() : m_jud2->currentText();
    c.VALOARE = m_valoare->value();
    c.TIPPLATA = m_tipPlata->currentText();
    c.OBS = m_obs->toPlainText();
    c.NOTIFICARI = m_notificari->toPlainText();
    return c;
}

void TAddCon::prepare(const QString &id)
{
    m_result = false;
    m_id = id.trimmed().toLongLong();
    if (id.trimmed() == u"-1") {
        m_id = -1;
        setWindowTitle(QStringLiteral("Adaugare Contract"));
        m_heading->setText(QStringLiteral("Adaugare Contract"));
        ClearFields();
        m_tipCon->setEditText(QString());
        if (m_tipCon->count() == 0) {
            m_tipCon->addItem(QStringLiteral("ARENDA"));
            m_tipCon->setCurrentIndex(0);
        }
        m_nrCon->clear();
        m_nrcPer->clear();
        const RememberedContract r = m_service.rememberedContract();
        const QDate today = m_service.today();
        m_dataCon->setDate(r.DATACON.isValid() ? r.DATACON : today);
        m_expira->setDate(r.EXPIRA.isValid() ? r.EXPIRA : today);
        m_nume1->setText(r.NUME1);
        m_cnp1->setText(r.CNP1);
        m_nume2->setEditText(r.NUME2);
        m_cnp2->setText(r.CNP2);
    } else {
        setWindowTitle(QStringLiteral("Modificare Contract"));
        m_heading->setText(QStringLiteral("Modificare Contract"));
    }
    m_lessees = m_service.lesseeList();
    m_lesseesOpen = true;
    m_tipCon->setFocus();
}

bool TAddCon::Execute(const QString &id)
{
    prepare(id);
    exec();
    m_lesseesOpen = false;
    m_lessees.clear();
    return m_result;
}

void TAddCon::lesseeChosen(int index)
{
    if (!m_lesseesOpen || index < 0)
        return;
    const QString name = m_nume2->itemText(index);
    for (const LesseeInfo &l : m_lessees)
        if (l.NUME2 == name) {
            m_cnp2->setText(l.CNP2);
            m_adresa2->setText(l.ADRESA2);
            m_loc2->setText(l.LOC2);
            SelectComboItem(m_jud2, l.JUD2);
            return;
        }
}

void TAddCon::MemoButClick()
{
    ContractInput in = values();
    const CheckOutcome out = m_service.checkContract(in, m_id);
    // The inputs show the cleaned texts, whatever the outcome.
    m_nrcPer->setText(in.NRCPER);
    m_nriPer->setText(in.NRIPER);
    m_tipCon->setEditText(in.TIPCON);
    m_nume1->setText(in.NUME1);
    m_telefon->setText(in.TELEFON);
    m_email->setText(in.EMAIL);
    m_cnp1->setText(in.CNP1);
    m_nume2->setEditText(in.NUME2);
    m_cnp2->setText(in.CNP2);
    m_adresa2->setText(in.ADRESA2);
    m_loc2->setText(in.LOC2);
    m_actP->setText(in.ACTP);
    m_valoare->setText(numberText(in.VALOARE));
    if (!ConfirmOutcome(m_prompter, out, [this](const QString &name) { return input(name); }))
        return;
    if (m_obs->toPlainText() != in.OBS)
        m_obs->setPlainText(in.OBS);
    if (m_notificari->toPlainText() != in.NOTIFICARI)
        m_notificari->setPlainText(in.NOTIFICARI);
    if (m_id == -1)
        m_service.rememberNewContract(in);
    m_result = true;
    accept();
}

} // namespace ogx
