<?xml version="1.0"?>
<!-- Period summary: one row per account of the subject with its balance
     before the first day, the money into it (To) and out of it (From) within
     the period, and its balance at the end of the last day.
     The window gives it the subject's account heads and a Figures section:
     one f per account with its Code and its Opening, In, Out and Closing
     figures as page text, worked out exactly by the program, which also
     fills the TD cells intotal, outtotal and diff after the transformation.
     The variables say what the subject is: AccountCode, an account's code
     as a string ('12'), or else GroupString, a group's member codes
     (',3,1,7,'), or else (both 0) every account. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="xml" omit-xml-declaration="yes"/>
  <xsl:variable name="FromDate" select="0"/>
  <xsl:variable name="ToDate" select="0"/>
  <xsl:variable name="AccountCode" select="0"/>
  <xsl:variable name="GroupString" select="0"/>

  <xsl:variable name="lower" select="'abcdefghijklmnopqrstuvwxyz'"/>
  <xsl:variable name="upper" select="'ABCDEFGHIJKLMNOPQRSTUVWXYZ'"/>
  <xsl:key name="figures" match="/Data/Figures/f" use="@Code"/>

  <xsl:template match="/">
    <xsl:variable name="oneAccount" select="string($AccountCode) != '0'"/>
    <xsl:variable name="oneGroup" select="not($oneAccount) and string($GroupString) != '0'"/>
    <xsl:variable name="heads" select="/Data/AcMaster/a"/>
    <HTML>
      <BODY>
        <DIV class="reporttitle"><B>[*[REPORTTILE]*]</B></DIV>
        <TABLE width="100%" cellspacing="0" cellpadding="2">
          <TR>
            <TH>Account</TH>
            <TH width="120">Opening Balance</TH>
            <TH width="120">In (To)</TH>
            <TH width="120">Out (From)</TH>
            <TH width="120">Closing Balance</TH>
          </TR>
          <xsl:for-each select="$heads">
            <xsl:sort select="translate(@AcName, $lower, $upper)"/>
            <xsl:variable name="code" select="string(@Code)"/>
            <xsl:variable name="f" select="key('figures', $code)"/>
            <TR id="id{$code}">
              <TD class="text"><A href="{$code}"><xsl:value-of select="@AcName"/></A></TD>
              <TD class="Amount" align="right"><xsl:value-of select="$f/@Opening"/></TD>
              <TD class="Amount in" align="right"><xsl:value-of select="$f/@In"/></TD>
              <TD class="Amount out" align="right"><xsl:value-of select="$f/@Out"/></TD>
              <TD class="Amount" align="right"><xsl:value-of select="$f/@Closing"/></TD>
            </TR>
          </xsl:for-each>
          <xsl:if test="not($heads)">
            <TR><TD class="text" colspan="5">No account to show.</TD></TR>
          </xsl:if>
          <TR>
            <TD class="GrandTotalCaption" colspan="2">Total</TD>
            <TD id="intotal" class="GrandTotalAmount" align="right">0.00</TD>
            <TD id="outtotal" class="GrandTotalAmount" align="right">0.00</TD>
            <TD>&#160;</TD>
          </TR>
          <TR>
            <TD class="GrandTotalCaption" colspan="2">Difference (In - Out)</TD>
            <TD id="diff" class="GrandTotalAmount" align="right">0.00</TD>
            <TD colspan="2">&#160;</TD>
          </TR>
          <xsl:if test="not($oneAccount) and not($oneGroup)">
            <TR>
              <TD class="text" colspan="5"><BR/>Every transaction moves its amount out of one account
                and into another, so over all accounts the In and Out totals are always equal and
                their difference is 0.00.</TD>
            </TR>
          </xsl:if>
        </TABLE>
      </BODY>
    </HTML>
  </xsl:template>
</xsl:stylesheet>
