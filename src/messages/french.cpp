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
    .save_no_card = "La note n'a pas pu etre sauvee: il n'y a pas de carte a %s\n",
    .save_no_notes_folder = "La note n'a pas pu etre sauvee: la carte n'a pas de dossier %s\n",
    .save_read_only =
        "La note n'a pas pu etre sauvee: la carte est en lecture seule ou protegee en ecriture: "
        "%s\n",
    .save_not_permitted =
        "La note n'a pas pu etre sauvee: vous n'avez pas le droit d'y ecrire: %s\n",
    .save_name_refused =
        "La note n'a pas pu etre sauvee: la carte refuse le nom %s. Tapez un autre titre.\n",
    .save_note_is_folder =
        "La note n'a pas pu etre sauvee: un dossier porte le nom de la note; "
        "renommez-le ou deplacez-le: %s\n",
    .save_note_in_use =
        "La note n'a pas pu etre sauvee: l'ancienne note est ouverte dans un "
        "autre programme; fermez-la: %s\n",
    .save_full = "La note n'a pas pu etre sauvee: la carte est pleine: %s\n",
    .save_path_too_long =
        "La note n'a pas pu etre sauvee: le chemin est trop long pour ce lecteur: %s\n",
    .save_failed = "La note n'a pas pu etre sauvee: %s\n",
    .not_saved = "La note n'a pas ete sauvee.\n",
    .answer_too_long = "Cette reponse depasse 65536 octets, la place qu'il y a pour elle.\n",
    .title_character = "Un titre ne peut pas contenir le caractere %s.\n",
    .title_control = "Un titre ne peut pas contenir de caracteres de controle.\n",
    .title_device = "%s est le nom d'un peripherique Windows, pas d'une note.\n",
    .title_too_long = "Un titre a au plus 251 caracteres, moins avec des lettres accentuees.\n",
    .title_code_page = "Ce titre n'est pas valide dans la page de code de la console.\n",
    .read_failed = "L'entree n'a pas pu etre lue.\n",
    .press_enter = "Appuyez sur Entree pour fermer.\n",
    .note_ends_hint = "(une ligne vide termine la note)\n",
    .card_found = "(trouvee : %s - appuyez sur Entree pour l'utiliser)\n",
    .cards_found = "(cartes trouvees - tapez le numero de celle a utiliser)\n",
    .no_card_hint = "(aucune carte trouvee - tapez ou elle est, par exemple %s)\n",
    .unknown_option = "option inconnue %s, ignoree (voir --help)\n",
    .answer_yes_or_no = "Repondez par o (oui) ou n (non).\n",
    .ask_replace = "Il y a deja une note %s sur la carte. La remplacer?\n",
    .saved_at = "Sauvee sous %s\n",
    .line_cut =
        "Une ligne tapee ici a au plus 4095 octets, et celle-ci a pu etre coupee: "
        "tapez-la plus courte, ou ecrivez un long texte dans un editeur.\n",
    .editor_hint = "Ecrivez la note dans %s, enregistrez-la, et fermez l'editeur.\n",
    .editor_keys_nano = "(nano : Ctrl-O, Entree, puis Ctrl-X)\n",
    .editor_keys_vi = "(vi : i pour ecrire, puis Echap et :wq)\n",
    .editor_keys_notepad = "(Bloc-notes : Ctrl+S, puis fermez-le)\n",
    .editor_not_started = "L'editeur %s n'a pas pu etre lance: tapez la note ici.\n",
    .editor_failed = "L'editeur %s s'est termine par un echec: tapez la note ici.\n",
    .no_editor = "Aucun editeur trouve (definissez VISUAL ou EDITOR): tapez la note ici.\n",
    .draft_not_made =
        "Aucun brouillon n'a pu etre cree dans le dossier temporaire: tapez la "
        "note ici.\n",
    .draft_unreadable = "Le brouillon %s n'a pas pu etre lu: tapez la note ici.\n",
    .draft_empty = "La note est vide. Ouvrir l'editeur a nouveau?\n",
    .draft_character =
        "La page de code de la console ne peut pas contenir le caractere %s: "
        "ecrivez-le autrement.\n",
    .draft_kept = "La note que vous avez ecrite est gardee dans %s\n",
    .editor_text_kept = "Ce que vous avez ecrit dans l'editeur est garde dans %s\n",
    .usage =
        "Utilisation : %s [-l | --lines [--no-editor]]\n"
        "              %s -h | --help | -V | --version\n"
        "\n"
        "Demande le titre d'une note, un commentaire facultatif et le texte de la\n"
        "note, puis ecrit la note pour Velloran, l'application de notes de la PSP,\n"
        "sur la carte memoire de la PSP, sous PSP/GAME/Velloran/notes/<titre>.txt.\n"
        "A la question de la lettre, repondez par la lettre du lecteur de la carte\n"
        "(Windows, WSL) ou par son point de montage (Linux, macOS). Le dossier des\n"
        "notes doit deja exister.\n"
        "\n"
        "Chaque reponse est un mot : ce qui suit le premier blanc repond a la\n"
        "question suivante. A une question oui/non, seul un o minuscule dit oui.\n"
        "La reponse a la question de la lettre est le reste de sa ligne.\n"
        "\n"
        "  -l, --lines  le dialogue pour les personnes (celui du menu Demarrer, et\n"
        "               d'un double-clic) : chaque reponse est une ligne entiere,\n"
        "               o ou oui pour oui et n ou non pour non, en majuscules ou\n"
        "               minuscules. Dans un terminal, la note s'ecrit dans votre\n"
        "               editeur (VISUAL, sinon EDITOR, sinon le premier de\n"
        "               editor, nano et vi ; le Bloc-notes sous\n"
        "               Windows) sur un brouillon au nom du titre dans le dossier\n"
        "               temporaire, garde jusqu'a ce que la note soit sauvee ou\n"
        "               que vous refusiez de la sauver ; ailleurs la note se tape\n"
        "               en lignes, terminees par une ligne vide. Il propose la\n"
        "               carte qu'il trouve, ou les cartes par numero, demande\n"
        "               avant de remplacer une note, et montre ou elle est allee\n"
        "      --no-editor\n"
        "               avec --lines, taper la note en lignes meme dans un\n"
        "               terminal\n"
        "\n"
        "Ne prend aucun autre argument : il ignore tout autre argument donne, et\n"
        "nomme une option inconnue sur la sortie d'erreur.\n"
        "\n"
        "Code de sortie : 0 note sauvee, ou sauvegarde non demandee ; 1 note non\n"
        "sauvee ; 2 l'entree n'a pas pu etre lue.\n",
    .yes_letter = 'o',
    .yes_word = "oui",
    .no_word = "non",
};
