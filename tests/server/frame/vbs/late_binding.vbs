' The client binds the server late, by ProgID and member names. This script does the same through
' Windows Script Host and exits with the number of failed checks.
Option Explicit

Dim failures
failures = 0

Sub Check(condition, what)
    If condition Then
        WScript.Echo "ok      " & what
    Else
        WScript.Echo "FAILED  " & what
        failures = failures + 1
    End If
End Sub

Dim server
Set server = CreateObject("TolmServer7.clsMapServ")
Check IsObject(server), "CreateObject(""TolmServer7.clsMapServ"") gives an object"

On Error Resume Next
server.SafeCall
Check Err.Number = 0, "SafeCall succeeds before Initialize (" & Err.Number & " " & Err.Description & ")"
Err.Clear
server.safecall
Check Err.Number = 0, "member names ignore case"
Err.Clear
Check server.blnControlOk = False, "blnControlOk is False before Initialize"
Check Err.Number = 0, "blnControlOk reads without error (" & Err.Number & " " & Err.Description & ")"
Err.Clear
Dim drawn
drawn = server.DrawMapFromCorners(Nothing, -100, 45, -90, 40)
Check Err.Number <> 0, "drawing into no picture box fails (" & Err.Number & ")"
Check Len(Err.Description) > 0 And Len(Err.Source) > 0, "the failure carries a source and a text (" & Err.Source & ": " & Err.Description & ")"
Err.Clear
server.NoSuchMember
Check Err.Number = 438, "an unknown member raises error 438 (" & Err.Number & ")"
Err.Clear
On Error GoTo 0

Set server = Nothing
WScript.Quit failures
