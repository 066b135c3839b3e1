PROGRAM Procedures_goto;
VAR I, N: INTEGER;
PROCEDURE TRAIT;
WRITELN('----------');
PROCEDURE COMPTE;
BEGIN
  { Compte de 1 à N, mais pas plus loin que 5 : BREAK quitte la boucle. }
  FOR I:=1 TO N DO
  BEGIN
    IF I > 5 THEN
    BREAK;
    WRITE(I);
    WRITE(' ');
  END;
  WRITELN;
END;
PROCEDURE REBOURS;
BEGIN
  { Compte à rebours : la procédure s'appelle elle-même, EXIT la quitte. }
  WRITE(N);
  WRITE(' ');
  N := N - 1;
  IF N = 0 THEN
  BEGIN
    WRITELN('partez !');
    EXIT;
  END;
  REBOURS;
END;
BEGIN
  CALL TRAIT;
  N := 8;
  COMPTE;
  TRAIT;
  N := 3;
  REBOURS;
  TRAIT;
  { Une boucle faite à la main avec une étiquette et GOTO. }
  I := 1;
  DEBUT:
  WRITE(I);
  I := I * 2;
  IF I < 100 THEN
  BEGIN
    WRITE(', ');
    GOTO DEBUT;
  END;
  WRITELN;
  TRAIT;
END.
