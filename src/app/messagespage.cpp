#include "messagespage.h"

#include <QLabel>
#include <QVBoxLayout>

MessagesPage::MessagesPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TabSheet2"));
    auto *layout = new QVBoxLayout(this);
    auto label = [&](const char *name, const QString &caption) {
        auto *l = new QLabel(caption, this);
        l->setObjectName(QLatin1String(name));
        // Never shown: a hidden label takes no room in the window's least size.
        l->setVisible(false);
        layout->addWidget(l);
        return l;
    };
    ExitMsg = label("ExitMsg", QStringLiteral("Voulez-vous quitter "));
    ExitMsg2 = label("ExitMsg2", QStringLiteral("Si vous quitter maintenant, les programmations des "
                                                "tâches répétitives ne pourront plus s''effectuées"));
    Label32 = label("Label32", QStringLiteral("et"));
    Label33 = label("Label33", QStringLiteral(" tout(es) les "));
    Label34 = label("Label34", QStringLiteral("à "));
    Label35 = label("Label35", QStringLiteral(" le lundi"));
    Label36 = label("Label36", QStringLiteral(" le mardi"));
    Label37 = label("Label37", QStringLiteral(" le mercredi"));
    Label38 = label("Label38", QStringLiteral(" le jeudi"));
    Label39 = label("Label39", QStringLiteral(" le vendredi"));
    Label40 = label("Label40", QStringLiteral(" le samedi"));
    Label41 = label("Label41", QStringLiteral(" le dimanche"));
    Label42 = label("Label42", QStringLiteral("Programmation "));
    Label44 = label("Label44", QStringLiteral("aujourd'hui"));
    Label45 = label("Label45", QStringLiteral("demain"));
    Label46 = label("Label46", QStringLiteral("jamais"));
    Label47 = label("Label47", QStringLiteral("aucun jour coché"));
    Label48 = label("Label48", QStringLiteral("l'heure ou la minute n'est pas un nombre"));
    Label49 = label("Label49", QStringLiteral("lundi"));
    Label50 = label("Label50", QStringLiteral("mardi"));
    Label51 = label("Label51", QStringLiteral("mercredi"));
    Label52 = label("Label52", QStringLiteral("jeudi"));
    Label53 = label("Label53", QStringLiteral("vendredi"));
    Label54 = label("Label54", QStringLiteral("samedi"));
    Label55 = label("Label55", QStringLiteral("dimanche"));
    Label56 = label("Label56", QStringLiteral("Prochaine exécution"));
    Label58 = label("Label58", QStringLiteral("suspendue"));
    Label59 = label("Label59", QStringLiteral("aucune date n'a ces jours du mois et ces mois"));
    Label60 = label("Label60", QStringLiteral("suspendues :"));
    Label61 = label("Label61", QStringLiteral("hier"));
    Label62 = label("Label62", QStringLiteral("Dernière exécution"));
    Label63 = label("Label63", QStringLiteral("Résultat"));
    Label64 = label("Label64", QStringLiteral("Reprendre"));
    Label65 = label("Label65", QStringLiteral("Suspendre"));
    Label66 = label("Label66", QStringLiteral("Modification de la ligne"));
    Label67 = label("Label67", QStringLiteral("jours du mois :"));
    Label68 = label("Label68", QStringLiteral("mois :"));
    Label69 = label("Label69", QStringLiteral("dernier jour"));
    Label73 = label("Label73", QStringLiteral("une seule à la fois"));
    Label74 = label("Label74", QStringLiteral("arrêtée après"));
    Label75 = label("Label75", QStringLiteral("rattrapée si manquée"));
    Label76 = label("Label76", QStringLiteral("Exécutions en cours :"));
    Label77 = label("Label77", QStringLiteral("Scripts shell"));
    Label78 = label("Label78", QStringLiteral("Programmes exécutables"));
    Label79 = label("Label79", QStringLiteral("Aucune visionneuse d'aide ni aucun navigateur n'a pu ouvrir l'aide :"));
    layout->addStretch();
}

QList<QLabel *> MessagesPage::nextRunLabels() const
{
    return {Label44, Label45, Label46, Label47, Label48, Label49, Label50,
            Label51, Label52, Label53, Label54, Label55, Label56, Label58, Label59};
}

QList<QLabel *> MessagesPage::entryLabels() const
{
    return {Label61, Label62, Label63, Label64, Label65, Label66, Label67,
            Label68, Label69, Label73, Label74, Label75, Label76, Label77, Label78, Label79};
}
