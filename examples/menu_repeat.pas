PROGRAM Menu_repeat;
VAR CHOIX: INTEGER;
VAR NOM, MESSAGE: STRING;
{ Un menu qui revient tant que l'on ne choisit pas 0. }
BEGIN
  CLRSCR;
  NOM := 'inconnu';
  REPEAT
    WRITELN('1 - Saisir son nom');
    WRITELN('2 - Dire bonjour');
    WRITELN('0 - Quitter');
    WRITE('Votre choix : ');
    READLN(CHOIX);
    IF CHOIX = 1 THEN
    BEGIN
      WRITE('Nom : ');
      READLN(NOM);
    END
    ELSE
    BEGIN
      IF CHOIX = 2 THEN
      BEGIN
        MESSAGE := 'Bonjour ' + NOM;
        SHOWMESSAGE MESSAGE;
      END
      ELSE
      BEGIN
        IF CHOIX <> 0 THEN
        WRITELN('Choix inconnu');
      END;
    END;
  UNTIL CHOIX = 0;
  WRITELN('Au revoir');
END.
