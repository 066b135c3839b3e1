PROGRAM Chaines;
VAR PHRASE, RESTE, MOT, INVERSE, LETTRE: STRING;
VAR P, L, I: INTEGER;
{ Découpe une phrase en mots et écrit chaque mot en majuscules, puis à l'envers. }
BEGIN
  WRITE('Une phrase : ');
  READLN(PHRASE);
  RESTE := PHRASE + ' ';
  P := POS(' ',RESTE);
  WHILE P > 0 DO
  BEGIN
    L := P - 1;
    MOT := COPY(RESTE,1,L);
    P := P + 1;
    RESTE := COPY(RESTE,P,255);
    INVERSE := '';
    I := LENGTH(MOT);
    WHILE I > 0 DO
    BEGIN
      LETTRE := COPY(MOT,I,1);
      INVERSE := INVERSE + LETTRE;
      I := I - 1;
    END;
    WEND;
    MOT := UPPERCASE(MOT);
    WRITE(MOT);
    WRITE(' -> ');
    WRITELN(INVERSE);
    P := POS(' ',RESTE);
  END;
  WEND;
  L := LENGTH(PHRASE);
  WRITE('Longueur de la phrase : ');
  WRITELN(L);
END.
