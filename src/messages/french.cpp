#include "messages/messages.h"

// The welcome line is one tab, 27 blanks, then the word. The one-word
// dialogue's texts are written without accents, as they always were.
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
    .press_enter = "Appuyez sur Entrée pour fermer.\n",
    .note_ends_hint = "(une ligne vide termine la note)\n",
    .card_found = "(trouvée : %s - appuyez sur Entrée pour l'utiliser)\n",
    .cards_found = "(cartes trouvées - tapez le numéro de celle à utiliser)\n",
    .no_card_hint = "(aucune carte trouvée - tapez où elle est, par exemple %s)\n",
    .someone = "vous",
    .unknown_option = "option inconnue %s, ignoree (voir --help)\n",
    .answer_yes_or_no = "Répondez par o (oui) ou n (non).\n",
    .ask_replace = "Il y a déjà une note %s sur la carte. La remplacer ?\n",
    .saved_at = "Enregistrée sous %s\n",
    .line_cut =
        "Une ligne tapee ici a au plus 4095 octets, et celle-ci a pu etre coupee: "
        "tapez-la plus courte, ou ecrivez un long texte dans un editeur.\n",
    .editor_hint = "Écrivez la note dans %s, enregistrez-la, et fermez l'éditeur.\n",
    .editor_keys_nano = "(nano : Ctrl-O, Entrée, puis Ctrl-X)\n",
    .editor_keys_vi = "(vi : i pour écrire, puis Échap et :wq)\n",
    .editor_keys_notepad = "(Bloc-notes : Ctrl+S, puis fermez-le)\n",
    .editor_not_started = "L'éditeur %s n'a pas pu être lancé : tapez la note ici.\n",
    .editor_failed = "L'éditeur %s s'est terminé par un échec : tapez la note ici.\n",
    .no_editor = "Aucun éditeur trouvé (définissez VISUAL ou EDITOR) : tapez la note ici.\n",
    .draft_not_made = "Aucun brouillon n'a pu être créé : tapez la note ici.\n",
    .draft_unreadable = "Le brouillon %s n'a pas pu être lu : tapez la note ici.\n",
    .draft_empty = "La note est vide. Ouvrir l'éditeur à nouveau ?\n",
    .draft_character =
        "La page de code de la console ne peut pas contenir le caractère %s : "
        "écrivez-le autrement.\n",
    .draft_kept = "La note que vous avez écrite est gardée dans %s\n",
    .editor_text_kept = "Ce que vous avez écrit dans l'éditeur est gardé dans %s\n",
    .another_note = "Écrire une autre note ?\n",
    .more_lines = "(... et %s lignes de plus de la note)",
    .more_comment_lines = "(... et %s lignes de plus du commentaire)",
    .more_line = "(... et %s ligne de plus de la note)",
    .more_comment_line = "(... et %s ligne de plus du commentaire)",
    .card_not_listed =
        "Il n'y a pas de carte numéro %s : tapez un des numéros affichés, ou "
        "l'endroit où est la carte.\n",
    .title_again = "Tapez un autre titre pour cette note.\n",
    .ask_editor_again = "Ouvrir l'éditeur à nouveau ?\n",
    .notepad = "Bloc-notes",
    .save_or_change = "(ou m pour la modifier)\n",
    .ask_change = "Que voulez-vous modifier ?\n",
    .change_parts = "t : le titre, c : le commentaire, n : la note\n",
    .change_hint = "(t/c/n) ",
    .answer_change = "Répondez par t (le titre), c (le commentaire) ou n (la note).\n",
    .file_unreadable = "Le fichier %s n'a pas pu être lu, il est laissé de côté : ",
    .file_not_text = "Le fichier %s n'est pas du texte : il est laissé de côté.\n",
    .file_too_long = "Le fichier %s dépasse 65536 octets : il est laissé de côté.\n",
    .ask_which_note = "Quelle note voulez-vous modifier ?\n",
    .which_note_hint = "(tapez son numéro ou son titre)\n",
    .no_such_note =
        "Il n'y a pas de note %s sur la carte : tapez un des numéros affichés, ou un titre.\n",
    .no_notes = "Il n'y a pas de notes sur la carte.\n",
    .not_changed = "La note n'a pas été modifiée.\n",
    .old_note_removed =
        "La note %s a été supprimée : la note est enregistrée sous son nouveau titre.\n",
    .draft_offered =
        "Un brouillon de cette note a été gardé : il s'ouvre avec ce que vous avez écrit.\n",
    .usage =
        "Utilisation : %s [-l | --lines [--no-editor] [FICHIER...]]\n"
        "              %s -e | --edit\n"
        "              %s -h | --help | -V | --version\n"
        "\n"
        "Demande le titre d'une note, un commentaire facultatif et le texte de la\n"
        "note, puis écrit la note pour Velloran, l'application de notes de la PSP,\n"
        "sur la carte mémoire de la PSP, sous PSP/GAME/Velloran/notes/<titre>.txt.\n"
        "À la question de la lettre, répondez par la lettre du lecteur de la carte\n"
        "(Windows, WSL) ou par son point de montage (Linux, macOS). Le dossier des\n"
        "notes doit déjà exister.\n"
        "\n"
        "Chaque réponse est un mot : ce qui suit le premier blanc répond à la\n"
        "question suivante. À une question oui/non, seul un o minuscule dit oui.\n"
        "La réponse à la question de la lettre est le reste de sa ligne.\n"
        "\n"
        "  -l, --lines  le dialogue pour les personnes (celui du menu Démarrer, et\n"
        "               d'un double-clic) : chaque réponse est une ligne entière,\n"
        "               o ou oui pour oui et n ou non pour non, en majuscules ou\n"
        "               minuscules. Dans un terminal, la note s'écrit dans votre\n"
        "               éditeur (VISUAL, sinon EDITOR, sinon le premier de\n"
        "               editor, nano et vi ; le Bloc-notes sous Windows) sur un\n"
        "               brouillon au nom du titre, gardé jusqu'à ce que la note\n"
        "               soit enregistrée ou que vous refusiez de l'enregistrer,\n"
        "               et proposé à nouveau pour le même titre ; ailleurs la\n"
        "               note se tape en lignes, terminées par une ligne vide.\n"
        "               Il propose la carte qu'il trouve, ou les cartes par\n"
        "               numéro, demande avant de remplacer une note, montre où\n"
        "               elle est allée, et, dans un terminal, propose d'écrire\n"
        "               une autre note. Au résumé, m modifie d'abord le titre,\n"
        "               le commentaire ou la note. Chaque FICHIER donné (un\n"
        "               fichier texte déposé sur l'icône) devient une note, au\n"
        "               titre de son nom, l'un après l'autre\n"
        "      --no-editor\n"
        "               avec --lines, taper la note en lignes même dans un\n"
        "               terminal\n"
        "  -e, --edit   modifier une note de la carte, dans le dialogue pour les\n"
        "               personnes : les notes de la carte sont listées par\n"
        "               numéro, celle choisie s'ouvre dans votre éditeur, son\n"
        "               commentaire gardé, et elle est enregistrée à sa place\n"
        "\n"
        "Les brouillons sont dans $XDG_STATE_HOME/notecreator/drafts\n"
        "(~/.local/state/notecreator/drafts), ou %LOCALAPPDATA%\\notecreator\\drafts\n"
        "sous Windows.\n"
        "\n"
        "Sans --lines, il ignore tout autre argument donné ; il nomme une option\n"
        "inconnue sur la sortie d'erreur. Une option longue peut\n"
        "être abrégée tant qu'elle reste sans ambiguïté (--line pour --lines).\n"
        "\n"
        "Code de sortie : 0 note enregistrée, ou enregistrement non demandé ; 1 note\n"
        "non enregistrée ; 2 l'entrée n'a pas pu être lue.\n",
    .yes_letter = 'o',
    .yes_word = "oui",
    .no_word = "non",
    .change_letter = 'm',
    .change_word = "modifier",
};

MessageCatalogue people_catalogue() {
  MessageCatalogue texts = catalogue;
  texts.banner = "\t***->->Créateur de notes pour Velloran par Dorvik [FR]<-<-***\n\n";
  texts.ask_title = "Titre de la note :\n";
  texts.ask_comment = "Voulez-vous ajouter un commentaire ?\n";
  texts.enter_comment = "Entrez le commentaire de la note :\n";
  texts.enter_note = "Entrez la note :\n";
  texts.ask_save = "Voulez-vous enregistrer cette note ?\n\n\n\n";
  texts.summary_title = "Titre :\n%s\n\n";
  texts.summary_comment = "Commentaire :\n%s\n\n";
  texts.summary_note = "Note :\n%s\n\n";
  texts.ask_drive = "Quelle est la lettre de votre PSP ?\n";
  texts.creating = "Création de la note...\n";
  texts.done = "Note créée !\n";
  texts.save_no_card = "La note n'a pas pu être enregistrée : il n'y a pas de carte à %s\n";
  texts.save_no_notes_folder =
      "La note n'a pas pu être enregistrée : la carte n'a pas de dossier %s\n";
  texts.save_read_only =
      "La note n'a pas pu être enregistrée : la carte est en lecture seule ou protégée en "
      "écriture : %s\n";
  texts.save_not_permitted =
      "La note n'a pas pu être enregistrée : vous n'avez pas le droit d'y écrire : %s\n";
  texts.save_name_refused =
      "La note n'a pas pu être enregistrée : la carte refuse le nom %s. Tapez un autre titre.\n";
  texts.save_note_is_folder =
      "La note n'a pas pu être enregistrée : un dossier porte le nom de la note ; "
      "renommez-le ou déplacez-le : %s\n";
  texts.save_note_in_use =
      "La note n'a pas pu être enregistrée : l'ancienne note est ouverte dans un autre "
      "programme ; fermez-la : %s\n";
  texts.save_full = "La note n'a pas pu être enregistrée : la carte est pleine : %s\n";
  texts.save_path_too_long =
      "La note n'a pas pu être enregistrée : le chemin est trop long pour ce lecteur : %s\n";
  texts.save_failed = "La note n'a pas pu être enregistrée : %s\n";
  texts.not_saved = "La note n'a pas été enregistrée.\n";
  texts.answer_too_long = "Cette réponse dépasse 65536 octets, la place qu'il y a pour elle.\n";
  texts.title_character = "Un titre ne peut pas contenir le caractère %s.\n";
  texts.title_control = "Un titre ne peut pas contenir de caractères de contrôle.\n";
  texts.title_device = "%s est le nom d'un périphérique Windows, pas d'une note.\n";
  texts.title_too_long = "Un titre a au plus 251 caractères, moins avec des lettres accentuées.\n";
  texts.read_failed = "L'entrée n'a pas pu être lue.\n";
  texts.unknown_option = "option inconnue %s, ignorée (voir --help)\n";
  texts.line_cut =
      "Une ligne tapée ici a au plus 4095 octets, et celle-ci a pu être coupée : "
      "tapez-la plus courte, ou écrivez un long texte dans un éditeur.\n";
  return texts;
}
