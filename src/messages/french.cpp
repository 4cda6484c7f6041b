#include "messages/messages.h"

// The welcome line is one tab, 27 blanks, then the word.
const MessageCatalogue catalogue = {
    .welcome = "\t                           Bienvenue\n\n",
    .banner = "\t***->->Createur de notes pour Velloran par Dorvik [FR]<-<-***\n\n",
    .ask_title = "Titre de la note:\n",
    .ask_comment = "Voulez-vous inserer un commentaire?\n",
    .answer_hint = "(o/n) ",
    .enter_comment = "Entrez le commentaire de la note:\n",
    .enter_note = "Entrez la note:\n",
    .ask_save = "Voulez-vous sauver cette note?\n\n\n\n",
    .summary_title = "Titre:\n%s\n\n",
    .summary_comment = "Commentaire:\n%s\n\n",
    .summary_note = "Note:\n%s\n\n",
    .ask_drive = "Quelle est la lettre de votre PSP?\n",
    .creating = "Creation de la note...\n",
    .done = "Note cree!\n",
    .save_failed = "La note n'a pas pu etre sauvee: %s\n",
    .read_failed = "L'entree n'a pas pu etre lue.\n",
    .usage =
        "Utilisation : %s [--help | --version]\n"
        "\n"
        "Demande le titre d'une note, un commentaire facultatif et le texte de la\n"
        "note, puis ecrit la note pour Velloran, l'application de notes de la PSP,\n"
        "sur la carte memoire de la PSP, sous PSP/GAME/Velloran/notes/<titre>.txt.\n"
        "A la question de la lettre, repondez par la lettre du lecteur de la carte\n"
        "(Windows, WSL) ou par son point de montage (Linux, macOS). Le dossier des\n"
        "notes doit deja exister.\n"
        "\n"
        "Ne prend aucun autre argument, et ignore tout autre argument donne.\n"
        "\n"
        "Code de sortie : 0 note sauvee, ou sauvegarde non demandee ; 1 note non\n"
        "sauvee ; 2 l'entree n'a pas pu etre lue.\n",
    .yes_letter = 'o',
};
