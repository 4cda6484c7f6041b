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
    .usage =
        "Utilisation : %s [-l | --lines] [-h | --help | -V | --version]\n"
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
        "  -l, --lines  prendre plutot chaque reponse comme une ligne entiere : un\n"
        "               titre ou une note de plusieurs mots, une note de plusieurs\n"
        "               lignes (une ligne vide la termine), o ou oui en majuscules\n"
        "               ou minuscules pour oui ; et proposer la carte a la question\n"
        "               de la lettre quand il en trouve exactement une, ou les\n"
        "               cartes par numero quand il en trouve plusieurs\n"
        "\n"
        "Ne prend aucun autre argument : il ignore tout autre argument donne, et\n"
        "nomme une option inconnue sur la sortie d'erreur.\n"
        "\n"
        "Code de sortie : 0 note sauvee, ou sauvegarde non demandee ; 1 note non\n"
        "sauvee ; 2 l'entree n'a pas pu etre lue.\n",
    .yes_letter = 'o',
    .yes_word = "oui",
};
